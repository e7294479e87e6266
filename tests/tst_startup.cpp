// Start-up, the window as designed, and closing.
#include "Application.h"
#include "DefaultBrowser.h"
#include "Dialogs.h"
#include "Failure.h"
#include "Form1.h"
#include "ListView.h"
#include "LocationFile.h"
#include "SearchMenu.h"
#include "SearchStore.h"
#include "SignalCloser.h"
#include "Startup.h"
#include "TestSupport.h"
#include "WindowSettings.h"
#include "WindowSlots.h"

#include <QAccessible>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quillmoor;

namespace {

// A part of the window no handler reaches, by its object name.
template <class Part = QWidget> Part* part(Form1& form, const char* name)
{
    auto* widget = form.findChild<Part*>(QLatin1String(name));
    if (!widget)
        qFatal("the window has no %s", name);
    return widget;
}

const QByteArray kList = "http://boston.listora.org/,Boston,Massachusetts\r\n";

// A 32 x 32 cursor file with its hot spot at (3, 2).
QByteArray cursorFile()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        qFatal("no ICO writer");
    QByteArray bytes = buffer.data();
    qToLittleEndian<quint16>(2, bytes.data() + 2); // a cursor, not an icon
    qToLittleEndian<quint16>(3, bytes.data() + 10); // hot spot x
    qToLittleEndian<quint16>(2, bytes.data() + 12); // hot spot y
    return bytes;
}

QColor background(QWidget* widget) { return widget->palette().color(QPalette::Window); }

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qApp->setStyleSheet(QString()); }

    void theToolTipNamesTheDefaultBrowser()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("home/applications/chromium.desktop"),
            "[Desktop Action new-window]\nName=New Window\n[Desktop Entry]\nType=Application\nName=Chromium\n");
        desktop.write(QStringLiteral("shared/applications/chromium.desktop"), "[Desktop Entry]\nName=Other\n");
        desktop.write(
            QStringLiteral("shared/applications/firefox-esr.desktop"), "[Desktop Entry]\nName= Firefox ESR\n");
        const QStringList folders { desktop.dir.filePath(QStringLiteral("home")),
            desktop.dir.filePath(QStringLiteral("shared")) };
        // The first folder that holds the entry gives its name; an entry's
        // actions are no name of its own; an id is no path.
        QCOMPARE(os::desktopEntryName(QStringLiteral("chromium.desktop"), folders), QStringLiteral("Chromium"));
        QCOMPARE(os::desktopEntryName(QStringLiteral("firefox-esr.desktop"), folders), QStringLiteral("Firefox ESR"));
        QCOMPARE(os::desktopEntryName(QStringLiteral("../applications/chromium.desktop"), folders), QString());
        QCOMPARE(os::desktopEntryName(QStringLiteral("none.desktop"), folders), QString());

        // The window names what the desktop answers, once it has.
        std::function<void(const QString&)> answer;
        desktop.browserName = [&](std::function<void(const QString&)> a) { answer = std::move(a); };
        desktop.write(QStringLiteral("list.txt"), kList);
        Application app(desktop.platform());
        app.start();
        QCOMPARE(app.form().savedList->toolTip(), QStringLiteral("Double-click item to open in your web browser"));
        QVERIFY(answer);
        answer(QStringLiteral("Chromium"));
        QCOMPARE(app.form().savedList->toolTip(), QStringLiteral("Double-click item to open in Chromium"));
        QVERIFY(app.form().close());
    }

    void titleIsCutAtBlanks()
    {
        const QString a29(29, u'a');
        QCOMPARE(shortenTitle(a29 + u' ' + QString(15, u'b')), a29);
        const QString sixWords = QStringLiteral("aaaaaaaaaa bbbbbbbbb ccccccccc ddddddddd eeeeeeeee fffffffff");
        QCOMPARE(sixWords.size(), 60);
        QCOMPARE(shortenTitle(sixWords), QStringLiteral("aaaaaaaaaa bbbbbbbbb ccccccccc ddddddddd"));
        // Short names still lose their last word.
        QCOMPARE(
            shortenTitle(QStringLiteral("aaaaaaaaa bbbbbbbbbb cccccccccc")), QStringLiteral("aaaaaaaaa bbbbbbbbbb"));
        // Without a blank the name stays whole, cut to 40 when longer.
        QCOMPARE(shortenTitle(QStringLiteral("Quillmoor")), QStringLiteral("Quillmoor"));
        QCOMPARE(shortenTitle(QString(50, u'x')), QString(40, u'x'));
        QCOMPARE(shortenTitle(QString(45, u'x') + QStringLiteral(" y")), QString(40, u'x'));
    }

    void plainStartShowsNoReport()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList);
        auto app = desktop.load();
        Form1& form = app->form();
        QCOMPARE(desktop.reports, QStringList());
        QCOMPARE(desktop.opened, QList<QUrl>());
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillmoor"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quillmoor"));
        QVERIFY(QGuiApplication::applicationDisplayName() == QStringLiteral("Quillmoor"));
        const QList<QSize> sizes = form.windowIcon().availableSizes();
        for (int size : { 32, 48, 128, 256 }) {
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
            // The pixels kept at build time are the PNG's, transparency and all.
            const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
            const QImage png(QStringLiteral(QUILLMOOR_SOURCE_DIR "/data/icons/quillmoor-%1.png").arg(size));
            QCOMPARE(form.windowIcon().pixmap(size).toImage().convertToFormat(premultiplied),
                png.convertToFormat(premultiplied));
        }
        QVERIFY(!form.hasMouseIcon());
        QCOMPARE(form.mousePointer(), 0);
        QCOMPARE(background(&form), QColor(Qt::white));
        QVERIFY(!part<QLabel>(form, "Label1")->autoFillBackground());

        QHeaderView* locations = form.cityList->horizontalHeader();
        QCOMPARE(form.cityList->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("URL"));
        QCOMPARE(form.cityList->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Locations"));
        QCOMPARE(locations->sectionSize(0), 0);
        QCOMPARE(locations->sectionSize(1), 467);
        QCOMPARE(form.savedList->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Searches"));
        QCOMPARE(form.savedList->horizontalHeader()->sectionSize(0), 467);
        QCOMPARE(form.savedList->count(), 0);
    }

    void pointerFileAndSkin()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList);
        desktop.write(QStringLiteral("HAND-M.CUR"), cursorFile());
        desktop.write(QStringLiteral("x/o.cjs"), "QPushButton { font-style: italic; }");
        auto app = desktop.load();
        Form1& form = app->form();
        QCOMPARE(desktop.reports, QStringList());
        QVERIFY(form.hasMouseIcon());
        form.setMousePointer(99);
        QCOMPARE(form.cursor().hotSpot(), QPoint(3, 2));
        QCOMPARE(form.cursor().pixmap().size(), QSize(32, 32));

        const QColor face = QApplication::palette().color(QPalette::Button);
        QVERIFY(face != QColor(Qt::white));
        for (QWidget* painted : { static_cast<QWidget*>(&form), static_cast<QWidget*>(part(form, "Frame1")),
                 static_cast<QWidget*>(part(form, "Frame2")), static_cast<QWidget*>(part<QLabel>(form, "Label1")) }) {
            QCOMPARE(background(painted), face);
            QVERIFY(painted->autoFillBackground());
        }
        QCOMPARE(form.addSearchButton->palette().color(QPalette::Button), QColor(Qt::white));
        QVERIFY(!form.filterBox->autoFillBackground() || background(form.filterBox) != face);
        QVERIFY(form.cityList->palette().color(QPalette::Base) != face);
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QPushButton { font-style: italic; }"));
    }

    void aSchemeChangeWhileRunningIsFollowed()
    {
        Form1 form;
        const QPalette light = QApplication::palette();
        const QPalette dark(QColor(0x42, 0x42, 0x45), QColor(0x22, 0x20, 0x20)); // button, window; light text
        QApplication::setPalette(dark);
        QTRY_COMPARE(background(&form), dark.color(QPalette::Window));
        QCOMPARE(form.exampleButton->palette().color(QPalette::Button), dark.color(QPalette::Button));
        form.useButtonFaceBackground();
        QCOMPARE(background(part(form, "Frame1")), dark.color(QPalette::Button));
        QApplication::setPalette(light);
        QTRY_COMPARE(background(part<QLabel>(form, "Label1")), light.color(QPalette::Button));
        QCOMPARE(form.exampleButton->palette().color(QPalette::Button), QColor(Qt::white));
    }

    void brokenPointerFileAndSkinAreReportedAndStartUpGoesOn()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList);
        desktop.write(QStringLiteral("HAND-M.CUR"), "this is no pointer image");
        desktop.write(QStringLiteral("x/o.cjs"), "QPushButton { color: red; ");
        auto app = desktop.load();
        QCOMPARE(desktop.where(), (QStringList { QStringLiteral("Form_Load:100"), QStringLiteral("Form_Load:106") }));
        QVERIFY(desktop.description(0).contains(QLatin1String("o.cjs")));
        QVERIFY(desktop.description(1).contains(QLatin1String("HAND-M.CUR")));
        // The colours set before the skin failed stay; the sheet does not.
        QCOMPARE(background(part<QLabel>(app->form(), "Label1")), QApplication::palette().color(QPalette::Button));
        QCOMPARE(qApp->styleSheet(), QString());
        QVERIFY(!app->form().hasMouseIcon());
        QCOMPARE(app->form().cityList->count(), 1);
        QCOMPARE(app->form().windowTitle(), QStringLiteral("Quillmoor"));
    }

    void aFolderIsNoSkinFile()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList);
        QDir(desktop.folder()).mkpath(QStringLiteral("x/o.cjs"));
        auto app = desktop.load();
        QCOMPARE(desktop.reports, QStringList());
        QCOMPARE(background(&app->form()), QColor(Qt::white));
    }

    void homePageOpensOnASeven()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList);
        desktop.lottery = 7;
        desktop.load();
        QCOMPARE(desktop.opened, QList<QUrl> { QUrl(QStringLiteral("https://marrowfen.example/")) });
        QCOMPARE(desktop.openedBy, QStringList { QStringLiteral("Form_Load:108") });
        desktop.lottery = 8;
        desktop.opened.clear();
        desktop.load();
        QCOMPARE(desktop.opened, QList<QUrl>());

        // The real draw: always 1..100, and a seven comes up now and then.
        int sevens = 0;
        for (unsigned seed = 0; seed < 86400; ++seed) {
            const int draw = drawOneToHundred(seed);
            QVERIFY(draw >= 1 && draw <= 100);
            sevens += draw == 7;
        }
        QVERIFY2(sevens > 600 && sevens < 1200, qPrintable(QString::number(sevens)));
    }

    void windowIsLaidOutAsDesigned()
    {
        Form1 form;
        QCOMPARE(form.size(), QSize(536, 652));
        QCOMPARE(form.minimumSize(), form.size());
        QVERIFY(form.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(part(form, "Frame2")->geometry(), QRect(8, 8, 520, 341));
        QCOMPARE(form.filterBox->geometry(), QRect(112, 20, 391, 23));
        QCOMPARE(form.cityList->geometry(), QRect(16, 50, 488, 188));
        QCOMPARE(part(form, "Frame1")->geometry(), QRect(16, 240, 488, 55));
        QCOMPARE(form.searchTextBox->parentWidget(), part(form, "Frame1"));
        QCOMPARE(form.searchTextBox->geometry(), QRect(16, 20, 456, 23));
        QCOMPARE(form.addSearchButton->geometry(), QRect(16, 304, 488, 27));
        QCOMPARE(form.savedList->geometry(), QRect(8, 356, 520, 188));
        QCOMPARE(form.openSelectedButton->geometry(), QRect(8, 550, 256, 27));
        QCOMPARE(form.openAllButton->geometry(), QRect(272, 550, 256, 27));
        QCOMPARE(form.deleteButton->geometry(), QRect(8, 584, 256, 27));
        QCOMPARE(form.clearAllButton->geometry(), QRect(272, 584, 256, 27));
        QCOMPARE(form.exampleButton->geometry(), QRect(8, 618, 520, 27));
        // The whole caption of the label fits, colon included, without
        // reaching the filter box.
        QVERIFY(part<QLabel>(form, "Label1")->width() >= QFontMetrics(part<QLabel>(form, "Label1")->font())
                                                             .horizontalAdvance(part<QLabel>(form, "Label1")->text()));
        QVERIFY(part<QLabel>(form, "Label1")->geometry().right() < form.filterBox->x());

        QCOMPARE(form.font().family(), QStringLiteral("Arial"));
        QCOMPARE(form.font().pointSizeF(), 9.0);
        QVERIFY(form.font().bold() && form.savedList->font().bold() && form.filterBox->font().bold());
        QCOMPARE(form.exampleButton->font().pointSizeF(), 11.25);
        QVERIFY(form.exampleButton->font().bold());
        QCOMPARE(form.savedList->toolTip(), QStringLiteral("Double-click item to open in your web browser"));
        QCOMPARE(form.cityList->selectionBehavior(), QAbstractItemView::SelectRows);

        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), form.filterBox);
        const QList<QWidget*> order
            = { form.savedList, form.openSelectedButton, form.openAllButton, form.clearAllButton, form.deleteButton,
                  form.exampleButton, form.cityList, form.searchTextBox, form.addSearchButton, form.filterBox };
        for (QWidget* expected : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected);
        }
    }

    void commandLineNeedsNoDisplay()
    {
        // The program as started from a terminal with no display to open on.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_LOGGING_RULES" })
            environment.remove(QLatin1String(name));
        const struct {
            QStringList arguments;
            int status;
            const char* out;
            const char* err;
        } cases[] = {
            { { "--help" }, 0, "Usage: quillmoor [options]\n", "" },
            { { "-h" }, 0, "Usage: quillmoor [options]\n", "" },
            { { "--version" }, 0, "quillmoor " QUILLMOOR_VERSION "\n", "" },
            { { "--help", "--bogus" }, 2, "", "quillmoor: Unknown option 'bogus'.\n" },
            { { "extra" }, 2, "", "quillmoor: unexpected argument 'extra'\n" },
            { {}, 1, "", "quillmoor: no display (DISPLAY is not set)\n" },
            { { "-platform", "xcb" }, 1, "", "quillmoor: no display (DISPLAY is not set)\n" },
            { { "-platform", "wayland" }, 1, "", "quillmoor: no display (WAYLAND_DISPLAY is not set)\n" },
            // Named, but nothing answers there: Qt would abort.
            { { "-display", ":7391" }, 1, "", "quillmoor: no display (could not connect to display :7391)\n" },
            { { "-platform", "bogus;xcb", "-display", ":7391" }, 1, "",
                "quillmoor: no display (Could not find the Qt platform plugin \"bogus\" in \"\"; could not connect "
                "to display :7391)\n" },
        };
        for (const auto& c : cases) {
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(QUILLMOOR_PROGRAM), c.arguments);
            QVERIFY(program.waitForFinished(10000));
            const QByteArray out = program.readAllStandardOutput();
            const QByteArray err = program.readAllStandardError();
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QVERIFY2(program.exitCode() == c.status,
                qPrintable(c.arguments.join(u' ') + u' ' + QString::fromLocal8Bit(err)));
            QVERIFY2(out.startsWith(c.out) && (*c.out || out.isEmpty()), out.constData());
            QVERIFY2(err.startsWith(c.err) && (*c.err || err.isEmpty()), err.constData());
        }
    }

    void searchesInAndOutWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("arguments"); // FILE stands for the file below
        QTest::addColumn<QByteArray>("file"); // its bytes before; null: no file
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QStringList>("stored"); // the saved searches after
        QTest::addColumn<QByteArray>("written"); // the file after
        const QStringList ab { "A", "B" };
        const QByteArray lines = "x site:a.org\r\n\r\n \r\ny|z\n";
        QTest::newRow("import UTF-8, blank lines skipped, a bar kept")
            << QStringList { "--import", "FILE" } << lines << 0 << QByteArray("quillmoor: 2 searches added from ")
            << QStringList { "A", "B", "x site:a.org", "y|z" } << lines;
        // Lines saved already are left out and counted; a repeat within the
        // file is no saved line.
        QTest::newRow("import leaves out saved lines")
            << QStringList { "--import", "FILE" } << QByteArray("B\nx\nA\nx\n") << 0
            << QByteArray("quillmoor: 2 searches added, 2 already saved, from ") << QStringList { "A", "B", "x", "x" }
            << QByteArray("B\nx\nA\nx\n");
        const QByteArray utf16("p\0\n\0q\0\n\0", 8);
        QTest::newRow("import UTF-16 without a mark")
            << QStringList { "--import", "FILE" } << utf16 << 0 << QByteArray("quillmoor: 2")
            << QStringList { "A", "B", "p", "q" } << utf16;
        QTest::newRow("import Windows-1252")
            << QStringList { "--import", "FILE" } << QByteArray("caf\xE9\n") << 0 << QByteArray("quillmoor: 1")
            << QStringList { "A", "B", "caf\u00E9" } << QByteArray("caf\xE9\n");
        const QByteArray png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
        QTest::newRow("a picture is refused")
            << QStringList { "--import", "FILE" } << png << 1 << QByteArray() << ab << png;
        QTest::newRow("a missing file is refused")
            << QStringList { "--import", "FILE" } << QByteArray() << 1 << QByteArray() << ab << QByteArray();
        const QByteArray odd = "a\rb\x1B[1m\r\n\xEF\xBB\xBF"
                               "c\n"; // CR alone, a control character, a late mark
        QTest::newRow("import cuts lines as list.txt")
            << QStringList { "--import", "FILE" } << odd << 0 << QByteArray("quillmoor: 3")
            << QStringList { "A", "B", "a", "b[1m", "c" } << odd;
        const QByteArray joined = "caf\xE9\n\xEF\xBB\xBF"
                                  "d\n"; // Windows-1252 with a UTF-8 file joined on
        QTest::newRow("import drops a mark read as Windows-1252")
            << QStringList { "--import", "FILE" } << joined << 0 << QByteArray("quillmoor: 2")
            << QStringList { "A", "B", "caf\u00E9", "d" } << joined;
        QByteArray noise(65536, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char& byte : noise)
            byte = char(1 + random.bounded(255));
        QTest::newRow("random bytes without a NUL are refused")
            << QStringList { "--import", "FILE" } << noise << 1 << QByteArray() << ab << noise;
        QTest::newRow("a repeated option is refused")
            << QStringList { "--import", "FILE", "--import", "FILE" } << lines << 2 << QByteArray() << ab << lines;
        QTest::newRow("export onto the settings file is refused")
            << QStringList { "--export", "config/./Marrowfen.ini" } << QByteArray() << 1 << QByteArray() << ab
            << QByteArray();
        QTest::newRow("export to standard output")
            << QStringList { "--export", "-" } << QByteArray() << 0 << QByteArray("A\nB\n") << ab << QByteArray();
        QTest::newRow("export through the kernel's link to a pipe")
            << QStringList { "--export", "/dev/stdout" } << QByteArray() << 0 << QByteArray("A\nB\n") << ab
            << QByteArray();
        QTest::newRow("export replaces a file") << QStringList { "--export", "FILE" } << QByteArray("old") << 0
                                                << QByteArray() << ab << QByteArray("A\nB\n");
    }

    void searchesInAndOutWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QStringList, stored);
        QFETCH(QByteArray, written);
        test::FakeDesktop desktop;
        const QByteArray settings = "[Quillmoor]\r\nSearches=A|B|\r\nEngine=Bing\r\n";
        desktop.write(QStringLiteral("config/Marrowfen.ini"), settings);
        const QString path = desktop.dir.filePath(QStringLiteral("searches.txt"));
        if (!file.isNull())
            desktop.write(QStringLiteral("searches.txt"), file);
        arguments.replaceInStrings(QStringLiteral("FILE"), path);
        arguments.replaceInStrings(QStringLiteral("config/"), desktop.dir.filePath(QStringLiteral("config/")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), desktop.dir.filePath(QStringLiteral("config")));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUILLMOOR_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(10000));
        const QByteArray err = program.readAllStandardError();
        QCOMPARE(program.exitCode(), status);
        QVERIFY2(program.readAllStandardOutput().startsWith(out), err.constData());
        // A refusal says why in one line and leaves the settings as they were.
        QCOMPARE(err.count('\n'), status == 0 ? 0 : 1);
        QFile after(desktop.settingsFile());
        QVERIFY(after.open(QIODevice::ReadOnly));
        if (status != 0)
            QCOMPARE(after.readAll(), settings);
        QCOMPARE(storedEntries(
                     GetSetting(desktop.settingsFile(), QStringLiteral("Quillmoor"), QStringLiteral("Searches")).value),
            stored);
        QFile result(path);
        QCOMPARE(result.open(QIODevice::ReadOnly) ? result.readAll() : QByteArray(), written);
    }

    // --list picks the list a command acts on, --import into a new name
    // makes it, --lists prints them with their counts, and a name the file
    // does not hold ends with status 2, naming those it does.
    void listsFromTheCommandLine()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("config/Marrowfen.ini"), "[Quillmoor]\nSearches=A|B|\n");
        desktop.write(QStringLiteral("futon.txt"), "f1\nf2\n");
        const QString futon = desktop.dir.filePath(QStringLiteral("futon.txt"));
        const auto run = [&](const QStringList& arguments, int status) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove(QStringLiteral("DISPLAY"));
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), desktop.dir.filePath(QStringLiteral("config")));
            environment.insert(QStringLiteral("XDG_DATA_HOME"), desktop.dir.filePath(QStringLiteral("data")));
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(QUILLMOOR_PROGRAM), arguments);
            if (!program.waitForFinished(10000) || program.exitCode() != status)
                qWarning() << arguments << program.exitCode() << program.readAllStandardError();
            return program.exitCode() == status ? program.readAll() + program.readAllStandardError() : QByteArray();
        };
        QVERIFY(!run({ "--import", futon, "--list", "Futon" }, 0).isEmpty());
        QCOMPARE(run({ "--lists" }, 0), QByteArray("Saved Searches\t2\nFuton\t2\n"));
        QCOMPARE(run({ "--export", "-", "--list", "Futon" }, 0), QByteArray("f1\nf2\n"));
        QCOMPARE(run({ "--export", "-" }, 0), QByteArray("A\nB\n"));
        desktop.write(QStringLiteral("futon.txt"), "f3\n");
        QVERIFY(!run({ "--restore", futon, "--list", "Futon" }, 0).isEmpty());
        QCOMPARE(run({ "--export", "-", "--list", "Futon" }, 0), QByteArray("f3\n"));
        QVERIFY(run({ "--export", "-", "--list", "Kayak" }, 2).contains("\"Saved Searches\", \"Futon\""));
        QVERIFY(!run({ "--list-backups", "--list", "Futon" }, 2).isEmpty());
        QCOMPARE(QSettings(desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/Lists").toString(),
            QStringLiteral("Saved Searches|Futon|"));
    }

    // Export writes into a FIFO instead of replacing it; with stored
    // searches that are no text it fails and makes or empties no file.
    void exportWritesIntoWhatIsNoFile()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("config/Marrowfen.ini"), "[Quillmoor]\nSearches=A|B\\x1b[2J|\n");
        const QString fifo = desktop.dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), desktop.dir.filePath(QStringLiteral("config")));
        const auto exportTo = [&](const QString& path) {
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(QUILLMOOR_PROGRAM), { QStringLiteral("--export"), path });
            return program.waitForFinished(10000) ? program.exitCode() : -1;
        };
        QCOMPARE(exportTo(fifo), 0);
        char got[16] = {};
        QCOMPARE(::read(reader, got, sizeof got), 7);
        ::close(reader);
        QCOMPARE(QByteArray(got), QByteArray("A\nB[2J\n")); // no escape reaches a terminal
        QVERIFY(QFileInfo::exists(fifo) && !QFileInfo(fifo).isFile());

        desktop.write(QStringLiteral("config/Marrowfen.ini"), "[Quillmoor]\nSearches=@Invalid()\n");
        desktop.write(QStringLiteral("backup.txt"), "kept\n");
        QCOMPARE(exportTo(desktop.dir.filePath(QStringLiteral("backup.txt"))), 1);
        QFile backup(desktop.dir.filePath(QStringLiteral("backup.txt")));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(backup.readAll(), QByteArray("kept\n"));
        QCOMPARE(QDir(desktop.dir.filePath(QStringLiteral("config"))).entryList(QDir::Files),
            QStringList { "Marrowfen.ini" });
    }

    // Another user's link in a shared folder (as /tmp), at a file's name or
    // in a folder's place, is refused by every command before anything is
    // read, made or written through it, in the words --export uses.
    void anotherUsersLinkIsNeverFollowed()
    {
        if (::geteuid() != 0)
            QSKIP("Giving a link to another user takes root.");
        test::FakeDesktop desktop;
        const QByteArray settings = "[Quillmoor]\nSearches=A|B|\n";
        desktop.write(QStringLiteral("config/Marrowfen.ini"), settings);
        desktop.write(QStringLiteral("private"), "secret\n");
        QTemporaryDir shared;
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        const QString home = desktop.dir.path();
        for (const auto& [name, target] : { std::pair { "file", home + "/private" }, { "home", home },
                 { "config", home + "/config" }, { "data", home + "/data" } }) {
            const QByteArray link = QFile::encodeName(shared.filePath(QLatin1String(name)));
            QVERIFY(::symlink(QFile::encodeName(target).constData(), link.constData()) == 0);
            QVERIFY(::lchown(link.constData(), 4242, 0) == 0);
        }
        const QString file = shared.filePath(QStringLiteral("file"));
        const QString inHome = shared.filePath(QStringLiteral("home/private"));
        const struct {
            QStringList arguments;
            const char* config; // XDG_CONFIG_HOME and XDG_DATA_HOME, under the desktop or the shared folder
            const char* data;
        } rows[] = { { { "--import", file }, "", "" }, { { "--import", inHome }, "", "" },
            { { "--restore", file }, "", "" }, { { "--restore", inHome }, "", "" }, { { "--export", file }, "", "" },
            { { "--export", inHome }, "", "" }, { { "--export", "-" }, "shared", "" },
            { { "--import", home + "/private" }, "shared", "" }, { { "--list-backups" }, "", "shared" },
            { { "--restore", home + "/private" }, "", "shared" } };
        for (const auto& row : rows) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            const auto place = [&](const char* where, const char* name) {
                return *where ? shared.filePath(QLatin1String(name)) : home + u'/' + QLatin1String(name);
            };
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), place(row.config, "config"));
            environment.insert(QStringLiteral("XDG_DATA_HOME"), place(row.data, "data"));
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(QUILLMOOR_PROGRAM), row.arguments);
            QVERIFY(program.waitForFinished(10000));
            const QString err = QString::fromUtf8(program.readAllStandardError());
            QCOMPARE(program.exitCode(), 1);
            QVERIFY2(err.contains(QStringLiteral("is a symbolic link that another user made in a folder everyone may "
                                                 "write to, so it is not followed")),
                qPrintable(err));
            QFile read(desktop.settingsFile());
            QVERIFY(read.open(QIODevice::ReadOnly));
            QCOMPARE(read.readAll(), settings);
            QFile kept(home + QStringLiteral("/private"));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("secret\n"));
            QVERIFY(!QFileInfo::exists(home + QStringLiteral("/data"))); // no backups folder made
        }
        // The user's own city list is no more read through one.
        QVERIFY_THROWS_EXCEPTION(Failure, LocationFile::readWhole(inHome));
    }

    // A restore that fails (here the disk takes no more than the backup)
    // leaves the saved list and no backup of it behind.
    void aFailedRestoreKeepsNoBackup()
    {
        test::FakeDesktop desktop;
        const QByteArray settings = "[Quillmoor]\nSearches=A|B|\n";
        desktop.write(QStringLiteral("config/Marrowfen.ini"), settings);
        desktop.write(QStringLiteral("many.txt"), QByteArray(8192, 'x') + '\n');
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), desktop.dir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), desktop.dir.filePath(QStringLiteral("data")));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setChildProcessModifier([] {
            const rlimit small { 4096, 4096 };
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &small);
        });
        program.start(QStringLiteral(QUILLMOOR_PROGRAM), { "--restore", desktop.dir.filePath("many.txt") });
        QVERIFY(program.waitForFinished(10000));
        const QByteArray err = program.readAllStandardError();
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(err.contains("is it full?"), err.constData());
        QFile read(desktop.settingsFile());
        QVERIFY(read.open(QIODevice::ReadOnly));
        QCOMPARE(read.readAll(), settings);
        QCOMPARE(
            QDir(desktop.dir.filePath(QStringLiteral("data/quillmoor/backups"))).entryList(QDir::Files), QStringList());
    }

    void aWindowLargerThanTheScreenKeepsItsTitleBarOnIt()
    {
        const QRect available(0, 30, 1280, 994); // below a top panel
        QCOMPARE(windowPlace({ 536, 652 }, available), QPoint(372, 201));
        QCOMPARE(windowPlace({ 1072, 1304 }, available), QPoint(104, 30));
        QCOMPARE(windowPlace({ 1400, 900 }, available), QPoint(0, 77));
        QCOMPARE(windowPlace({ 1280, 994 }, available), QPoint(0, 30));
        Form1 form;
        form.centre();
        QCOMPARE(form.pos(), windowPlace(form.size(), form.screen()->availableGeometry()));
    }

    void screenReadersHearTheVisibleNames()
    {
        Form1 form;
        const auto text = [](QWidget* widget, QAccessible::Text which) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            return accessible ? accessible->text(which) : QStringLiteral("no interface");
        };
        const std::pair<QWidget*, const char*> names[] = {
            { form.filterBox, "Filter Locations" },
            { form.cityList, "Locations" },
            { form.searchTextBox, "Search For This Text" },
            { form.savedList, "Searches" },
        };
        for (const auto& [widget, name] : names)
            QCOMPARE(text(widget, QAccessible::Name), QLatin1String(name));
        QCOMPARE(text(form.savedList, QAccessible::Description), form.savedList->toolTip());
        // The filter box is labelled by the label the user sees, which still
        // shows its colon.
        QCOMPARE(part<QLabel>(form, "Label1")->buddy(), form.filterBox);
        QCOMPARE(part<QLabel>(form, "Label1")->text(), QStringLiteral("Filter Locations:"));
        QList<QObject*> labels;
        for (const auto& [label, relation] :
            QAccessible::queryAccessibleInterface(form.filterBox)->relations(QAccessible::Label))
            labels << label->object();
        QVERIFY(labels.contains(part<QLabel>(form, "Label1")));
    }

    void pointerFollowsTheControls()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList.repeated(30));
        auto app = desktop.load();
        Form1& form = app->form();
        for (int i = 0; i < 30; ++i)
            app->searches().append({ QStringLiteral("a site:b") });
        form.cityList->setColumnWidthTwips(1, 9000); // wider than the list
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const auto moveOver = [&](QWidget* widget, QPoint at = QPoint(5, 5)) {
            QTest::mouseMove(widget, at);
            return form.mousePointer();
        };
        QCOMPARE(form.mousePointer(), 0);
        QCOMPARE(moveOver(form.openSelectedButton), 99);
        QCOMPARE(form.cursor().shape(), Qt::PointingHandCursor); // no HAND-M.CUR: the platform's hand
        // The label and the text boxes leave the pointer as it was; the frame
        // behind them must not take their movements either.
        QCOMPARE(moveOver(part<QLabel>(form, "Label1")), 99);
        QCOMPARE(moveOver(form.filterBox), 99);
        QCOMPARE(moveOver(form.searchTextBox), 99);
        QCOMPARE(moveOver(form.savedList->viewport()), 0);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(moveOver(form.addSearchButton), 99);
        QCOMPARE(moveOver(part(form, "Frame1"), QPoint(3, 50)), 0);
        QCOMPARE(moveOver(form.exampleButton), 99);
        QCOMPARE(moveOver(&form, QPoint(4, 548)), 0); // the strip between the list and the buttons
        QCOMPARE(moveOver(form.clearAllButton), 99);
        QCOMPARE(moveOver(form.cityList->viewport()), 0);
        QCOMPARE(moveOver(form.deleteButton), 99);
        QCOMPARE(moveOver(part(form, "Frame2"), QPoint(3, 200)), 0);
        QCOMPARE(moveOver(form.openAllButton), 99);

        // Every part of a list is the list: header, scroll bars, the corner
        // between them and the frame around it.
        const std::pair<QWidget*, QPoint> parts[] = {
            { form.cityList->horizontalHeader()->viewport(), QPoint(100, 8) },
            { form.cityList->verticalScrollBar(), QPoint(5, 30) },
            { form.cityList->horizontalScrollBar(), QPoint(30, 5) },
            { form.cityList, form.cityList->rect().bottomRight() - QPoint(3, 3) },
            { form.savedList->horizontalHeader()->viewport(), QPoint(100, 8) },
            { form.savedList->verticalScrollBar(), QPoint(5, 30) },
            { form.savedList, QPoint(0, 60) },
        };
        for (const auto& [part, at] : parts) {
            QTRY_VERIFY(part->isVisible());
            QCOMPARE(moveOver(form.openAllButton), 99);
            QCOMPARE(moveOver(part, at), 0);
        }
    }

    void closingWritesOnceAndIsNeverRefused()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList);
        auto app = desktop.load();
        app->searches().append({ QStringLiteral("a site:b") });
        app->form().show();
        QSignalSpy unloads(&app->form(), &Form1::queryUnload);
        QVERIFY(app->form().close());
        QVERIFY(!app->form().isVisible());
        app->form().close();
        QCOMPARE(unloads.count(), 1);
        QCOMPARE(QSettings(desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/Searches").toString(),
            QStringLiteral("a site:b|"));
    }

    void whereSearchesOpenIsChosenByKeysAndKept()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList);
        // Values this program does not take count as the defaults; an
        // address that is not on the web is refused.
        const QByteArray unknown = "PagesFrom=Fortnight\r\nCombineCities=yes\r\n";
        desktop.write(QStringLiteral("config/Marrowfen.ini"), "[Quillmoor]\r\nEngine=file:///bin/sh?%s\r\n" + unknown);
        const auto keys = [](std::initializer_list<Qt::Key> keys) {
            for (const Qt::Key key : keys)
                QTest::keyClick(QApplication::activePopupWidget(), key);
        };
        {
            auto app = desktop.load();
            Form1& form = app->form();
            SearchMenu& menu = *form.searchMenu;
            form.show();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QCOMPARE(menu.engine(), QStringLiteral("Google"));
            QCOMPARE(form.openAllButton->toolTip(), QStringLiteral("Opens in Google, pages from any time"));
            // Shift+F10 on the empty list; Search Engine is the third entry.
            form.savedList->setFocus();
            QTest::keyClick(form.savedList, Qt::Key_F10, Qt::ShiftModifier);
            QVERIFY(menu.isVisible());
            keys({ Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return });
            QVERIFY(!menu.isVisible());
            QCOMPARE(menu.engine(), QStringLiteral("Bing"));
            QCOMPARE(form.openSelectedButton->toolTip(), QStringLiteral("Opens in Bing, pages from any time"));
            // Every entry has an access key; Undo and Stop Opening wait for
            // whoever offers them.
            for (const QAction* action : menu.actions())
                QVERIFY(action->isSeparator() || action->text().contains(u'&'));
            QVERIFY(!menu.action(SearchMenu::Entry::Undo)->isEnabled());
            QVERIFY(form.close());
        }
        QFile file(desktop.settingsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray stored = file.readAll();
        QVERIFY2(stored.contains("\nEngine=Bing\r\n" + unknown), stored.toPercentEncoding().constData());
        {
            auto app = desktop.load();
            Form1& form = app->form();
            QCOMPARE(form.searchMenu->engine(), QStringLiteral("Bing"));
            // The menu's Open Selected opens the selected entry there.
            app->searches().append({ QStringLiteral("a site:x.org") });
            form.savedList->selectRow(0);
            form.show();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            // The menu key, as the window system passes it on.
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
            QApplication::sendEvent(form.savedList, &menuKey);
            keys({ Qt::Key_Down, Qt::Key_Return });
            QCOMPARE(desktop.opened, QList<QUrl> { QUrl("https://www.bing.com/search?q=a%20site%3Ax.org") });
        }
        // An address of one's own: no ages, no combining.
        desktop.write(QStringLiteral("config/Marrowfen.ini"), "[Quillmoor]\r\nEngine=https://find.example/?q=%s\r\n");
        auto app = desktop.load();
        const SearchMenu& menu = *app->form().searchMenu;
        QCOMPARE(menu.engineMenu()->actions().last()->text(), QStringLiteral("Custom (find.example)"));
        QVERIFY(menu.engineMenu()->actions().last()->isChecked());
        QVERIFY(!menu.ageMenu()->actions().at(1)->isEnabled());
        QVERIFY(!menu.action(SearchMenu::Entry::CombineCities)->isEnabled());
    }

    // The question before many pages says how long they take at the pace,
    // and a kept place is used only where its far edges are numbers too.
    void theQuestionsTimeAndTheKeptPlacesEnds()
    {
        const struct {
            int pages;
            qint64 ms;
            const char* said;
        } questions[] = {
            { 42, 42 * 1000, "Open 42 pages in your browser?\nAt the pace chosen they take about 42 s." },
            { 84, 84 * 5000, "Open 84 pages in your browser?\nAt the pace chosen they take about 7 min." },
            { 100, 100 * 2000, "Open 100 pages in your browser?\nAt the pace chosen they take about 3 min 20 s." },
            { 30, 0, "Open 30 pages in your browser?" },
        };
        for (const auto& q : questions)
            QCOMPARE(openPagesQuestion(q.pages, q.ms), QString::fromLatin1(q.said));
        const struct {
            const char* text;
            std::optional<QRect> place;
        } places[] = {
            { "2147483647 0 100 100", std::nullopt },
            { "0 2147483647 100 100", std::nullopt },
            { "1 0 2147483647 1", std::nullopt },
            { "2147483547 0 100 100", QRect(2147483547, 0, 100, 100) },
            { "-2147483648 -2147483648 1 1", QRect(INT_MIN, INT_MIN, 1, 1) },
            { "0 0 2147483647 2147483647", QRect(0, 0, INT_MAX, INT_MAX) },
        };
        for (const auto& p : places)
            QCOMPARE(placeFromText(QString::fromLatin1(p.text)), p.place);
    }

    // Each open window holds the lowest free number, freed when it ends;
    // a window whose number is not the first opens cascaded.
    void aSecondWindowOpensCascaded()
    {
        QTemporaryDir runtime;
        std::optional<os::WindowSlot> first(std::in_place, runtime.path());
        const os::WindowSlot second(runtime.path());
        QCOMPARE(first->number(), 0);
        QCOMPARE(second.number(), 1);
        first.reset();
        QCOMPARE(os::WindowSlot(runtime.path()).number(), 0);
        QPoint at[2];
        for (int slot : { 0, 1 }) {
            test::FakeDesktop desktop;
            desktop.write(QStringLiteral("list.txt"), kList);
            Platform platform = desktop.platform();
            platform.takeWindowSlot = [slot] { return slot; };
            Application app(platform);
            app.start();
            at[slot] = app.form().pos();
        }
        QCOMPARE(at[1] - at[0], QPoint(32, 32));
    }

    void aCloseDuringStartUpWaitsForIt()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList);
        QSettings(desktop.settingsFile(), QSettings::IniFormat).setValue("Quillmoor/Searches", "kept|");
        Application app(desktop.platform());
        app.requestClose(); // as a signal arriving before the list is restored would
        app.start();
        QVERIFY(!app.form().isVisible());
        QCOMPARE(QSettings(desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/Searches").toString(),
            QStringLiteral("kept|"));
    }

    void filesChangedWhileTheWindowIsBuiltAreShownAsTheyAre()
    {
        // list.txt and the settings file are first read while the window is
        // built; a change after that read is what the start shows.
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kList);
        QSettings(desktop.settingsFile(), QSettings::IniFormat).setValue("Quillmoor/Searches", "old|");
        Application app(desktop.platform());
        QTest::qWait(100); // time for the first reads to end
        desktop.write(QStringLiteral("list.txt"), kList + "http://rome.listora.org/,Rome,Italy\r\n");
        QSettings(desktop.settingsFile(), QSettings::IniFormat).setValue("Quillmoor/Searches", "new|");
        app.Form_Load();
        QCOMPARE(app.form().cityList->count(), 2);
        QCOMPARE(app.searches().entries(), QStringList { "new" });
    }

    void aCloseEndsStartUpAndEveryHandlerAtOnce()
    {
        const auto saved = [](const test::FakeDesktop& desktop) {
            return QSettings(desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/Searches").toString();
        };
        {
            // One close while start-up shows its first report: no more
            // reports, and the window never appears.
            test::FakeDesktop desktop;
            desktop.write(QStringLiteral("list.txt"), "no commas here\r\n");
            desktop.write(QStringLiteral("HAND-M.CUR"), "this is no pointer image");
            desktop.write(QStringLiteral("x/o.cjs"), "QPushButton { color: red; ");
            QSettings(desktop.settingsFile(), QSettings::IniFormat).setValue("Quillmoor/Searches", "kept|");
            Application app(desktop.platform());
            desktop.duringReport = [&] { app.requestClose(); };
            app.start();
            QCOMPARE(desktop.where(), QStringList { QStringLiteral("Form_Load:100") });
            QVERIFY(!app.form().isVisible());
            QCOMPARE(saved(desktop), QStringLiteral("kept|"));
        }
        {
            // Open All waiting on a report when the window closes opens
            // nothing more once the list is saved.
            test::FakeDesktop desktop;
            desktop.write(QStringLiteral("list.txt"), kList);
            auto app = std::make_unique<Application>(desktop.platform());
            app->start();
            app->searches().append({ QStringLiteral("a site:x.org") });
            app->searches().append({ QStringLiteral("b site:y.org") });
            desktop.failOpen = [](const QUrl& url) {
                if (url.toString().contains(QLatin1String("x.org")))
                    throw std::runtime_error("The browser could not be started.");
            };
            desktop.duringReport = [&] { app->requestClose(); };
            app->form().openAllButton->click();
            QCOMPARE(desktop.where(), QStringList { QStringLiteral("PushButton6_Click:102") });
            QCOMPARE(desktop.opened, QList<QUrl>());
            QCOMPARE(saved(desktop), QStringLiteral("a site:x.org|b site:y.org|"));
        }
    }

    void signalsCloseTheWindowUnlessIgnored()
    {
        struct sigaction ignore = {}, inherited = {}, before = {}, now = {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGTERM, nullptr, &before);
        ::sigaction(SIGHUP, &ignore, &inherited);
        int closes = 0;
        {
            SignalCloser closer([&] { ++closes; });
            ::raise(SIGHUP); // as under nohup: stays ignored
            QTest::qWait(100);
            QCOMPARE(closes, 0);
            ::raise(SIGTERM);
            QTRY_COMPARE(closes, 1);
        }
        // The handlers the program found are back once it is done.
        ::sigaction(SIGTERM, nullptr, &now);
        QVERIFY(now.sa_handler == before.sa_handler);
        ::sigaction(SIGHUP, nullptr, &now);
        QVERIFY(now.sa_handler == SIG_IGN);
        ::sigaction(SIGHUP, &inherited, nullptr);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
