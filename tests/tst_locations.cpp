// list.txt at start-up and the filter, through the real window.
#include "Application.h"
#include "FileCalls.h"
#include "Form1.h"
#include "GeoPosition.h"
#include "ListView.h"
#include "LocationFile.h"
#include "NameMatcher.h"
#include "NearbyMenu.h"
#include "ShownText.h"
#include "TestSupport.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QtTest>
#include <cerrno>
#include <sys/stat.h>

using namespace quillmoor;
using test::itemTexts;
using test::subItemTexts;

namespace {
const QByteArray kCities = "http://boston.listora.org/,Boston,Massachusetts\r\n"
                           "http://newyork.listora.org/,New York,New York\r\n"
                           "http://paris.listora.org/,Paris,\r\n"
                           "http://york.listora.org/,York,United Kingdom\r\n";

void type(Form1& form, const QString& text)
{
    form.filterBox->setFocus();
    QTest::keyClicks(form.filterBox, text);
}

// Cities around Boston with their positions, and some whose fourth field
// gives none.
const QByteArray kNearBoston = "http://newyork.listora.org/,New York,New York,40.71427 -74.00597\r\n"
                               "http://worcester.listora.org/,Worcester,Massachusetts,42.26259 -71.80229\r\n"
                               "http://lowell.listora.org/,Lowell,Massachusetts\r\n" // no fourth field
                               "http://albany.listora.org/,Albany,New York,42.65258 -73.75623\r\n" // 223 km
                               "http://salem.listora.org/,Salem,Massachusetts,42.51954 -70.89672,more\r\n"
                               "http://quincy.listora.org/,Quincy,Massachusetts,near Boston\r\n"
                               "http://boston.listora.org/,Boston,Massachusetts,42.35843 -71.05977\r\n"
                               "http://hartford.listora.org/,Hartford,Connecticut,41.76371 -72.68509\r\n" // 150 km
                               "http://portland.listora.org/,Portland & Co,Maine,43.65737 -70.2589\r\n" // 158 km
                               "http://lawrence.listora.org/,Lawrence,Massachusetts,42.70704 -71.16311\r\n"; // 40 km

// The texts of the location list's context menu, disabled ones in brackets.
QStringList menuTexts(const Form1& form)
{
    QStringList texts;
    for (const QAction* action : form.nearbyMenu->actions()) {
        if (!action->isSeparator())
            texts << (action->isEnabled() ? action->text() : u'[' + action->text() + u']');
    }
    return texts;
}

// A right-click on `row` of the location list.
void rightClick(Form1& form, int row)
{
    QWidget* viewport = form.cityList->viewport();
    const QPoint at = form.cityList->visualRect(form.cityList->model()->index(row, 1)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
}

// "address|display name" of every location in `content`, read `readBytes` at
// a time, then "fault at line N" when a line is short.
QStringList readInPieces(const QByteArray& content, qint64 readBytes)
{
    QTemporaryFile file;
    if (!file.open() || file.write(content) != content.size() || !file.flush())
        qFatal("cannot write a list");
    ItemBatch rows;
    const std::optional<QString> fault = LocationFile(file.fileName(), readBytes).read({}, rows);
    QStringList out;
    for (qsizetype i = 0; i < rows.size(); ++i)
        out << rows.text(i).toString() + u'|' + rows.subText(i);
    if (fault)
        out << QStringLiteral("fault at ") + fault->section(u' ', 0, 1);
    return out;
}

// The whole file decoded at once: a byte-order mark decides; else UTF-16
// when the first line read as UTF-16 is all Latin-1 (a NUL at every other
// byte), else UTF-8 when all of it is valid, else Windows-1252.
QString decodeWhole(const QByteArray& content, bool* windows1252 = nullptr)
{
    const auto withMark = [&](QStringDecoder::Encoding encoding, qsizetype mark) -> QString {
        return QStringDecoder(encoding, QStringDecoder::Flag::ConvertInitialBom).decode(content.mid(mark));
    };
    if (content.startsWith("\xEF\xBB\xBF"))
        return withMark(QStringDecoder::Utf8, 3);
    if (content.startsWith("\xFF\xFE"))
        return withMark(QStringDecoder::Utf16LE, 2);
    if (content.startsWith("\xFE\xFF"))
        return withMark(QStringDecoder::Utf16BE, 2);
    for (const auto encoding : { QStringDecoder::Utf16LE, QStringDecoder::Utf16BE }) {
        const QString first = QString(QStringDecoder(encoding).decode(content.left(content.size() & ~1)))
                                  .section(u'\n', 0, 0)
                                  .section(u'\r', 0, 0);
        if (std::all_of(first.begin(), first.end(), [](QChar c) { return c.unicode() < 0x100; })
            && first.count(QChar()) < first.size())
            return withMark(encoding, 0);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(content);
    if (windows1252)
        *windows1252 = utf8.hasError();
    return utf8.hasError() ? QStringDecoder("windows-1252").decode(content) : text;
}

// The same from the whole file decoded at once and split the obvious way.
QStringList readWhole(const QByteArray& content)
{
    bool windows1252 = false;
    // Not by a regular expression, which gives up on text with a lone surrogate.
    QStringList lines = decodeWhole(content, &windows1252)
                            .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                            .replace(u'\r', u'\n')
                            .split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast(); // the break of the last line
    QStringList out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Byte-order marks of files joined into one go.
        const QString mark = windows1252 ? QStringLiteral("\u00EF\u00BB\u00BF") : QStringLiteral("\uFEFF");
        while (lines[i].startsWith(mark))
            lines[i].remove(0, mark.size());
        const QStringList f = lines[i].split(u',');
        if (f.size() < 3 || f[0].contains(QChar()))
            return out << QStringLiteral("fault at Line %1").arg(i + 1);
        out << f[0] + u'|' + f[1] + (f[2].isEmpty() ? QString() : QStringLiteral(", ") + f[2]);
    }
    return out;
}
} // namespace

class LocationsTest : public QObject {
    Q_OBJECT

private slots:
    void linesBecomeItems()
    {
        test::FakeDesktop desktop;
        const char nulLine[] = "nul,N\0L,\r\n"; // a NUL byte is just a character
        desktop.write(QStringLiteral("list.txt"),
            "http://a.listora.org/,Alpha,\r\n" // empty addition
            "http://b.listora.org/,Beta,Extra,ignored\r\n" // fourth field ignored
            "http://c.listora.org/, Gamma, Side\n" // blanks kept, LF alone
            "\"q\",\"Quoted\",x\r" // quotes kept, CR alone
            "dup,Same,\r\ndup,Same,\r\n" // duplicates stay
                + QByteArray(nulLine, sizeof nulLine - 1) + "last,No Break,End"); // no line break at the end
        auto app = desktop.load();
        QCOMPARE(desktop.reports, QStringList());
        ListView& list = *app->form().cityList;
        QCOMPARE(itemTexts(list),
            (QStringList { "http://a.listora.org/", "http://b.listora.org/", "http://c.listora.org/", "\"q\"", "dup",
                "dup", "nul", "last" }));
        QCOMPARE(subItemTexts(list),
            (QStringList { "Alpha", "Beta, Extra", " Gamma,  Side", "\"Quoted\", x", "Same", "Same",
                QString("N") + QChar(0) + "L", "No Break, End" }));
    }

    void faultsStopLoadingAfterTheEarlierLines_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<QString>("what");
        QTest::newRow("one comma") << QByteArray("a,A,\r\nb,B\r\nc,C,\r\n") << 1 << "Line 2";
        QTest::newRow("no comma") << QByteArray("a,A,\r\nb,B,\r\nnothing\r\n") << 2 << "Line 3";
        QTest::newRow("blank line") << QByteArray("a,A,\r\n\r\nc,C,\r\n") << 1 << "Line 2";
        QTest::newRow("blank last line") << QByteArray("a,A,\r\nb,B,\r\n\r\n") << 2 << "Line 3";
        QTest::newRow("NUL in the address") << QByteArray("a,A,\r\nb\0,B,\r\n", 12) << 1 << "Line 2";
    }
    void faultsStopLoadingAfterTheEarlierLines()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, loaded);
        QFETCH(QString, what);
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), content);
        auto app = desktop.load();
        QCOMPARE(desktop.where(), QStringList { QStringLiteral("Form_Load:136") });
        QVERIFY2(desktop.description(0).startsWith(what + QStringLiteral(" of the location file \"") + desktop.folder()
                     + QStringLiteral("/list.txt\"")),
            qPrintable(desktop.description(0)));
        QCOMPARE(app->form().cityList->count(), loaded);
        // Start-up went on: the saved-search list got its column.
        QCOMPARE(app->form().savedList->model()->columnCount(), 1);
    }

    void faultyLinesAreQuotedWhole_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("quoted");
        const QByteArray controls("a,A,\r\nN\0L\x1B[2J\x7F\t,B\r\n", 20);
        QTest::newRow("control characters") << controls << "has only two fields (\"N\\x00L\\x1b[2J\\x7f\\x09,B\")";
        QTest::newRow("long line") << QByteArray(100, 'x') + ",y"
                                   << "(\"" + QString(80, u'x') + "\u2026\")";
        QTest::newRow("80 exactly") << QByteArray(78, 'x') + ",y"
                                    << "(\"" + QString(78, u'x') + ",y\")";
        // A character of two UTF-16 units is never cut in half.
        QTest::newRow("pair at the cut") << QByteArray(79, 'x') + "\xF0\x90\x90\xB7,y"
                                         << "(\"" + QString(79, u'x') + "\u2026\")";
        // The case of a UTF-16 file saved by a Windows editor.
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFE\xDC\0\x62\0", 6) << "has no comma (\"\u00DCb\")";
    }
    void faultyLinesAreQuotedWhole()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, quoted);
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), content);
        desktop.load();
        QCOMPARE(desktop.reports.size(), 1);
        const QString description = desktop.description(0);
        QVERIFY2(description.contains(quoted + u';'), qPrintable(description));
        QVERIFY2(description.endsWith(QLatin1String("separated by commas.")), qPrintable(description));
    }

    void missingOrEmptyFile()
    {
        // Missing, or a folder or a pipe of that name (reported, never waited
        // on), or far too large to be a city list (refused before a line is
        // read): one report at start-up, and typing on while the fault stays
        // adds none.
        enum Kind { Missing, Folder, Pipe, TooLarge };
        for (const auto& [kind, says] : { std::pair { Missing, "could not be opened" },
                 std::pair { Folder, "it is not an ordinary file." }, std::pair { Pipe, "it is not an ordinary file." },
                 std::pair { TooLarge, "list.txt\" is not read: at 65 MB it is larger than the 64 MB allowed." } }) {
            test::FakeDesktop desktop;
            const QString path = desktop.dir.filePath(QStringLiteral("list.txt"));
            if (kind == Folder)
                QVERIFY(QDir().mkdir(path));
            if (kind == Pipe)
                QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
            if (kind == TooLarge) {
                desktop.write(QStringLiteral("list.txt"), kCities);
                QVERIFY(QFile::resize(path, LocationFile::kLargestFile + 1)); // sparse: no disk taken
            }
            auto app = desktop.load();
            QCOMPARE(desktop.where(), QStringList { QStringLiteral("Form_Load:136") });
            QVERIFY2(desktop.description(0).contains(QLatin1String(says)), qPrintable(desktop.description(0)));
            QCOMPARE(app->form().cityList->count(), 0);
            type(app->form(), QStringLiteral("bo"));
            QCOMPARE(desktop.where(), QStringList { QStringLiteral("Form_Load:136") });
        }

        test::FakeDesktop empty;
        empty.write(QStringLiteral("list.txt"), QByteArray());
        QCOMPARE(empty.load()->form().cityList->count(), 0);
        QCOMPARE(empty.reports, QStringList());
    }

    void everyEncodingShowsTheSameCities_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QString text = QStringLiteral("http://montreal.listora.org/,Montr\u00E9al,Qu\u00E9bec\r\n"
                                            "http://zurich.listora.org/,Z\u00FCrich,\u20AC Region\r\n"
                                            "http://paris.listora.org/,Paris,\r\n");
        const auto encoded = [&](QStringEncoder encoder) -> QByteArray { return encoder.encode(text); };
        QTest::newRow("UTF-8") << text.toUtf8();
        QTest::newRow("UTF-8 with mark") << encoded(
            QStringEncoder(QStringEncoder::Utf8, QStringEncoder::Flag::WriteBom));
        QTest::newRow("Windows-1252") << encoded(QStringEncoder("windows-1252"));
        QTest::newRow("UTF-16LE") << encoded(QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom));
        QTest::newRow("UTF-16BE") << encoded(QStringEncoder(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom));
        QTest::newRow("UTF-16LE without mark") << encoded(QStringEncoder(QStringEncoder::Utf16LE));
        QTest::newRow("UTF-16BE without mark") << encoded(QStringEncoder(QStringEncoder::Utf16BE));
        // Files joined into one keep the marks of all but the first.
        const qsizetype second = text.indexOf(QStringLiteral("http://zurich"));
        const auto joined = [&](QStringEncoder::Encoding encoding) -> QByteArray {
            const auto withMark = [&](const QString& part) -> QByteArray {
                return QStringEncoder(encoding, QStringEncoder::Flag::WriteBom).encode(part);
            };
            return withMark(text.left(second)) + withMark(text.mid(second));
        };
        QTest::newRow("UTF-8 joined") << joined(QStringEncoder::Utf8);
        QTest::newRow("UTF-16LE joined") << joined(QStringEncoder::Utf16LE);
        QTest::newRow("UTF-16BE joined") << joined(QStringEncoder::Utf16BE);
        QTest::newRow("Windows-1252 and UTF-8 joined")
            << QStringEncoder("windows-1252").encode(text.left(text.indexOf(QStringLiteral("http://paris"))))
                + "\xEF\xBB\xBFhttp://paris.listora.org/,Paris,\r\n";
    }
    void everyEncodingShowsTheSameCities()
    {
        QFETCH(QByteArray, content);
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), content);
        auto app = desktop.load();
        Form1& form = app->form();
        QCOMPARE(subItemTexts(*form.cityList),
            (QStringList { "Montr\u00E9al, Qu\u00E9bec", "Z\u00FCrich, \u20AC Region", "Paris" }));
        QCOMPARE(itemTexts(*form.cityList),
            (QStringList {
                "http://montreal.listora.org/", "http://zurich.listora.org/", "http://paris.listora.org/" }));
        type(form, QStringLiteral("QU\u00C9"));
        QCOMPARE(itemTexts(*form.cityList), QStringList { "http://montreal.listora.org/" });
        // The search built on the city opens the address it names.
        form.cityList->selectRow(0);
        form.searchTextBox->setText(QStringLiteral("v\u00E9lo"));
        form.addSearchButton->click();
        form.openAllButton->click();
        QCOMPARE(desktop.opened.size(), 1);
        QCOMPARE(desktop.opened[0].toEncoded(),
            QByteArray("https://www.google.com/search?q=v%C3%A9lo%20site%3Amontreal.listora.org"));
        QCOMPARE(desktop.reports, QStringList());
    }

    void readEdgesChangeNoText()
    {
        // Wherever a read of the file ends (here after every 1 to 5 or 8
        // bytes), the text must be that of the whole file decoded at once:
        // characters, broken ones too, and CR LF may straddle an edge. A
        // byte that is no UTF-8 turns the whole file to Windows-1252, also
        // one that comes after a short line, or after many rows were read.
        // A byte-order mark that starts a line goes; a NUL in an address is
        // a fault, and so is UTF-16 without a mark that is not told by its
        // first line.
        const QByteArray pieces[] = { QByteArray(1, '\0'), "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x90\x90\x80", "\xE1",
            "\xE2\x82", "\xF0\x90\x90", "\xED\xA0\x80", "\xC0\xAF", "\x80\x80", "\xF4\x90\x80\x80", "\xEF\xBB\xBF",
            "\xEF\xBB\xBF\xEF\xBB\xBF", "\r\n", "\r", "\xE9", "\x80\x81\x8D\x9F", "\xFF\xFE", "\xFE\xFF", "\xFF",
            "\xEF\xBB" };
        // UTF-16 code units, as Latin-1 of the lines below stands for them.
        const QString units[] = { QStringLiteral("\u00E9"), QStringLiteral("\u20AC"), QString::fromUcs4(U"\U00010437"),
            QString(QChar(0xD800)), QString(QChar(0xDC37)), QStringLiteral("\uFEFF"), QStringLiteral("\r\n") };
        const auto utf16 = [](const QString& text, bool little) {
            QByteArray bytes = little ? "\xFF\xFE" : "\xFE\xFF";
            for (const QChar c : text) {
                const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
                const char unit[] = { little ? low : high, little ? high : low };
                bytes.append(unit, 2);
            }
            return bytes;
        };
        for (const qint64 readBytes : { 1, 2, 3, 4, 5, 8 }) {
            for (int pad = 0; pad < 10; ++pad) {
                const QByteArray lead(pad, 'p');
                for (const QByteArray& piece : pieces) {
                    for (const QByteArray& content : { lead + ",N," + piece + "\r\nb,B,\r\n", // before a line end
                             lead + ",N," + piece, // at the end of the file
                             lead + ",N" + piece + "x,A" + piece + ",\nc,C,", // inside lines
                             piece + lead + ",N,\r\n", // at the start of the file
                             "a,A,\r\n" + piece + lead + ",N,\r\n", // at the start of a line
                             "\xE9,A,\r\n" + piece + lead + ",N,\r\n", // the same in Windows-1252
                             "a,A,\r\nshort,\r\n" + lead + piece }) // after a short line
                        QCOMPARE(readInPieces(content, readBytes), readWhole(content));
                }
                for (const QString& unit : units) {
                    for (const bool little : { true, false }) {
                        const QString text = lead + QStringLiteral(",N") + unit + QStringLiteral(",A") + unit
                            + QStringLiteral("\r\n") + unit + QStringLiteral("b,B,") + unit;
                        const QByteArray marked = utf16(text, little);
                        for (const QByteArray& content : { marked, marked + 'x', marked.mid(2) }) // odd end, no mark
                            QCOMPARE(readInPieces(content, readBytes), readWhole(content));
                    }
                }
            }
        }
    }

    void lineEndsAcrossReadChunks()
    {
        // At the real read size: a Windows-1252 "Paraná" whose last byte ends
        // the first read keeps its line break, and the rows read before it
        // are read again in that code page; a CR LF split between the second
        // and third read is one line end; a line longer than a read survives
        // being carried on; bytes at the end that would start a UTF-8
        // character are Windows-1252 too.
        const qsizetype edge = LocationFile::kReadBytes;
        QByteArray content;
        const QByteArray line = "h,Name,Add\r\n";
        while (content.size() + line.size() < edge - 64)
            content += line;
        content += QByteArray(edge - content.size() - 16, 'x') + ",Curitiba,Paran\xE1\r"; // a lone CR
        QCOMPARE(content.lastIndexOf('\r'), edge); // the first read ends just before it
        content += QByteArray(2 * edge - content.size() - 8, 'y') + ",Split,\r\n";
        QCOMPARE(content.size(), 2 * edge + 1); // the LF starts the third read
        content += "long," + QByteArray(3 << 20, 'n') + ",\r\nend,End,\xE2\x82";
        const qsizetype expected = content.count('\r') + 1;
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), content);
        auto app = desktop.load();
        QCOMPARE(desktop.reports, QStringList());
        const ListView& list = *app->form().cityList;
        QCOMPARE(list.subItemText(expected - 4), QStringLiteral("Curitiba, Paran\u00E1"));
        QCOMPARE(list.count(), expected);
        QCOMPARE(list.subItemText(expected - 3), QStringLiteral("Split"));
        QCOMPARE(list.subItemText(expected - 2).size(), 3 << 20);
        // Only its start is shown.
        const QModelIndex shown = list.model()->index(int(expected - 2), 1);
        QCOMPARE(shown.data().toString(), QString(kShownLength, u'n'));
        QCOMPARE(list.subItemText(expected - 1), QStringLiteral("End, \u00E2\u201A"));
    }

    void caseIsIgnoredForWholeCodePoints()
    {
        // Letters beyond the Basic Multilingual Plane are two UTF-16 units
        // and fold only as a whole; a lone half stands for itself.
        const QString capital = QString::fromUcs4(U"\U00010400"), small = QString::fromUcs4(U"\U00010428");
        const QString highHalf = capital.left(1), lowHalf = small.right(1);
        const struct {
            QString filter, a, b, c;
            bool found;
        } cases[] = {
            { capital, small, {}, {}, true },
            { small, QStringLiteral("x") + capital, {}, {}, true },
            { QStringLiteral("y") + capital + QStringLiteral(", ") + small, QStringLiteral("Y") + small,
                QStringLiteral(", "), capital, true }, // across the pieces
            { capital, QString::fromUcs4(U"\U00010401"), {}, {}, false },
            { QStringLiteral("k"), QStringLiteral("\u212A"), {}, {}, true }, // Kelvin sign
            { QStringLiteral("yORK"), QStringLiteral("New York"), {}, {}, true },
            { QStringLiteral("\u00E9"), QStringLiteral("\u00C9tretat"), {}, {}, true },
            { highHalf, QStringLiteral("a") + highHalf, {}, {}, true },
            { highHalf + u'b', QStringLiteral("A") + highHalf + u'B', {}, {}, true },
            { lowHalf, small, {}, {}, true }, // as QString::contains has it
            { capital, highHalf, {}, {}, false },
        };
        for (const auto& t : cases)
            QVERIFY2(NameMatcher(t.filter).in(t.a, t.b, t.c) == t.found, qPrintable(t.filter + t.a + t.b + t.c));
    }

    void filterAgreesWithAPlainReadingOfTheFile()
    {
        // Several megabytes of mixed line ends and letters, filtered again
        // and again: every rebuild must equal a simple, obviously correct
        // reading of the same file.
        QByteArray content;
        const char* ends[] = { "\r\n", "\n", "\r" };
        const QString names[] = { QStringLiteral("Zürich"), QStringLiteral("SÃO PAULO"), QStringLiteral("New York"),
            QStringLiteral("Étretat"), QStringLiteral("york") };
        for (int i = 0; i < 120000; ++i) {
            const QString line = QStringLiteral("http://c%1.listora.org/,%2 %1,%3")
                                     .arg(i)
                                     .arg(names[i % 5])
                                     .arg(i % 3 ? QStringLiteral("Région") : QString());
            content += line.toUtf8() + ends[i % 3];
        }
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), content);
        auto app = desktop.load();
        Form1& form = app->form();

        QStringList displayNames;
        QStringList addresses;
        for (const QString& line :
            QString::fromUtf8(content).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")), Qt::SkipEmptyParts)) {
            const QStringList fields = line.split(u',');
            addresses << fields[0];
            displayNames << (fields[2].isEmpty() ? fields[1] : fields[1] + QStringLiteral(", ") + fields[2]);
        }
        for (const QString filter : { "", "YORK", "é", "ão p", "1, r", "zürich 11", "", "x", "ÉTRETAT 4" }) {
            form.filterBox->setText(filter);
            QStringList expected;
            QStringList expectedAddresses;
            for (qsizetype i = 0; i < displayNames.size(); ++i) {
                if (displayNames[i].contains(filter, Qt::CaseInsensitive)) {
                    expected << displayNames[i];
                    expectedAddresses << addresses[i];
                }
            }
            QCOMPARE(subItemTexts(*form.cityList), expected);
            QCOMPARE(itemTexts(*form.cityList), expectedAddresses);
        }
        QCOMPARE(desktop.reports, QStringList());
    }

    void filterNarrowsAsYouType()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kCities);
        auto app = desktop.load();
        Form1& form = app->form();

        type(form, QStringLiteral("YORK"));
        QCOMPARE(subItemTexts(*form.cityList), (QStringList { "New York, New York", "York, United Kingdom" }));
        QCOMPARE(
            itemTexts(*form.cityList), (QStringList { "http://newyork.listora.org/", "http://york.listora.org/" }));
        // A blank is part of what is sought; a comma and blank match across
        // the name and its addition.
        form.filterBox->setText(QStringLiteral(" york"));
        QCOMPARE(subItemTexts(*form.cityList), QStringList { "New York, New York" });
        form.filterBox->setText(QStringLiteral("on, mass"));
        QCOMPARE(subItemTexts(*form.cityList), QStringList { "Boston, Massachusetts" });
        // Addresses are never matched.
        form.filterBox->setText(QStringLiteral("listora"));
        QCOMPARE(form.cityList->count(), 0);
        form.filterBox->clear();
        QCOMPARE(form.cityList->count(), 4);

        // The file is read again on every change.
        desktop.write(QStringLiteral("list.txt"), kCities + "http://rome.listora.org/,Rome,Italy\r\n");
        type(form, QStringLiteral("r"));
        QCOMPARE(subItemTexts(*form.cityList).last(), QStringLiteral("Rome, Italy"));
        QCOMPARE(desktop.reports, QStringList());
    }

    void filterFaultsAreToldOnceEach()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kCities);
        auto app = desktop.load();
        Form1& form = app->form();
        type(form, QStringLiteral("york"));

        // Missing file: the list stays as it was, one report however long
        // the user types on.
        QFile::remove(desktop.dir.filePath(QStringLiteral("list.txt")));
        type(form, QStringLiteral("abc"));
        QCOMPARE(desktop.where(), QStringList { QStringLiteral("Text1_Change:100") });
        QCOMPARE(form.cityList->count(), 2);

        // A short line: the matches before it, one report for the new fault.
        desktop.write(QStringLiteral("list.txt"), kCities + "broken line\r\nhttp://yorkton.listora.org/,Yorkton,\r\n");
        form.filterBox->setText(QStringLiteral("york"));
        form.filterBox->setText(QStringLiteral("yor"));
        QCOMPARE(
            desktop.where(), (QStringList { QStringLiteral("Text1_Change:100"), QStringLiteral("Text1_Change:102") }));
        QVERIFY(desktop.description(1).startsWith(QLatin1String("Line 5 ")));
        QCOMPARE(subItemTexts(*form.cityList), (QStringList { "New York, New York", "York, United Kingdom" }));

        // Mended, then broken the same way again: that is a new fault.
        desktop.write(QStringLiteral("list.txt"), kCities);
        form.filterBox->setText(QStringLiteral("yo"));
        QFile::remove(desktop.dir.filePath(QStringLiteral("list.txt")));
        form.filterBox->setText(QStringLiteral("y"));
        QCOMPARE(desktop.reports.size(), 3);
    }

    void positionsAndDistances()
    {
        const struct {
            const char* field;
            bool valid;
            double latitude, longitude;
        } fields[] = {
            { "42.35843 -71.05977", true, 42.35843, -71.05977 }, { "-33.86785 151.20732", true, -33.86785, 151.20732 },
            { "+90 -180", true, 90, -180 }, { "0 .5", true, 0, 0.5 }, { "90.0001 0", false, 0, 0 }, // out of range
            { "0 180.5", false, 0, 0 }, { "", false, 0, 0 }, // absent
            { "42.35843", false, 0, 0 }, { "42.35843  -71.05977", true, 42.35843, -71.05977 }, // two blanks
            { " 42.35843 -71.05977", true, 42.35843, -71.05977 }, { "1 2 ", true, 1, 2 }, { "\t1\t2\r", true, 1, 2 },
            { "\u00A01\u00A0 \u20032\u00A0", true, 1, 2 }, // no-break, em space
            { "1 2 3", false, 0, 0 }, { "1 - 2", false, 0, 0 }, { " ", false, 0, 0 }, { "42,5 10", false, 0, 0 },
            { "1e1 10", false, 0, 0 }, { "nan 10", false, 0, 0 }, { "- 10", false, 0, 0 },
            { "near Boston", false, 0, 0 }, { "\u0664\u0662 10", false, 0, 0 }, // Arabic-Indic digits
        };
        for (const auto& f : fields) {
            const std::optional<GeoPosition> p = parsePosition(QString::fromUtf8(f.field));
            QVERIFY2(p.has_value() == f.valid, f.field);
            if (p) {
                QCOMPARE(p->latitude, f.latitude);
                QCOMPARE(p->longitude, f.longitude);
            }
        }

        const struct {
            GeoPosition a, b;
            double km;
        } pairs[] = {
            { { 42.35843, -71.05977 }, { 40.71427, -74.00597 }, 306 }, // Boston, New York
            { { 51.50853, -0.12574 }, { 48.85341, 2.3488 }, 344 }, // London, Paris
            { { -33.86785, 151.20732 }, { -37.814, 144.96332 }, 713 }, // Sydney, Melbourne
            { { 0, 179.5 }, { 0, -179.5 }, 111 }, // across the date line
            { { 90, 0 }, { 90, 120 }, 0 }, // the pole is one point
            { { 0, 0 }, { 0, 180 }, 20015 }, // the far side of the Earth
        };
        for (const auto& p : pairs) {
            QVERIFY2(qAbs(distanceKm(p.a, p.b) - p.km) < 1, qPrintable(QString::number(distanceKm(p.a, p.b))));
            QCOMPARE(distanceKm(p.a, p.b), distanceKm(p.b, p.a));
        }
    }

    void citiesNearACityAreSelected()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kNearBoston);
        auto app = desktop.load();
        Form1& form = app->form();
        form.show();
        form.nearbyMenu->setLocale(QLocale(QLocale::German, QLocale::Germany));

        type(form, QStringLiteral("ton, mass"));
        QCOMPARE(subItemTexts(*form.cityList), QStringList { "Boston, Massachusetts" });
        rightClick(form, 0);
        QVERIFY(form.nearbyMenu->isVisible());
        QCOMPARE(menuTexts(form),
            (QStringList { "Select Cities Within 50 km of Boston, Massachusetts",
                "Select Cities Within 100 km of Boston, Massachusetts",
                "Select Cities Within 200 km of Boston, Massachusetts",
                "Select Cities Within 400 km of Boston, Massachusetts", "Select Cities &in Massachusetts",
                "&Edit City List\u2026" }));
        form.nearbyMenu->actions().at(2)->trigger();

        // The filter is emptied, the whole list is back, and the cities
        // within reach are selected in list order, Boston itself included;
        // those without a position never are.
        QCOMPARE(form.filterBox->text(), QString());
        QCOMPARE(form.cityList->count(), 10);
        QCOMPARE(form.cityList->selectedRows(), (QList<qsizetype> { 1, 4, 6, 7, 8, 9 }));
        QCOMPARE(form.cityList->currentIndex().row(), 1);
        QCOMPARE(form.focusWidget(), form.cityList);
        form.searchTextBox->setText(QStringLiteral("bike"));
        form.addSearchButton->click();
        QCOMPARE(itemTexts(*form.savedList),
            (QStringList { "bike site:worcester.listora.org", "bike site:salem.listora.org",
                "bike site:boston.listora.org", "bike site:hartford.listora.org", "bike site:portland.listora.org",
                "bike site:lawrence.listora.org" }));

        // Where the locale measures in miles, so does the menu; 30 miles
        // are 48 km: Lawrence (40 km) is within, Worcester (62 km) is not.
        form.nearbyMenu->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        rightClick(form, 6);
        QCOMPARE(menuTexts(form).first(), QStringLiteral("Select Cities Within 30 mi of Boston, Massachusetts"));
        QCOMPARE(menuTexts(form).at(3), QStringLiteral("Select Cities Within 250 mi of Boston, Massachusetts"));
        form.nearbyMenu->actions().first()->trigger();
        QCOMPARE(form.cityList->selectedRows(), (QList<qsizetype> { 4, 6, 9 }));

        // An ampersand in a name is shown, not taken as an access key.
        rightClick(form, 8);
        QCOMPARE(menuTexts(form).at(1), QStringLiteral("Select Cities Within 60 mi of Portland && Co, Maine"));
        form.nearbyMenu->close();
        QCOMPARE(desktop.reports, QStringList());
    }

    void aWholeStateIsSelectedExactly()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"),
            "http://wichita.listora.org/,Wichita,Kansas\r\n"
            "http://littlerock.listora.org/,Little Rock,Arkansas\r\n"
            "http://kansascity.listora.org/,Kansas City,Missouri\r\n"
            "http://topeka.listora.org/,Topeka,Kansas,39.04833 -95.67804\r\n"
            "http://kansas.listora.org/,Kansas,,1 2\r\n" // no state of its own
            "http://salina.listora.org/,Salina,Kansas \r\n");
        auto app = desktop.load();
        Form1& form = app->form();
        form.show();

        // The filter finds every name holding "Kansas"; the menu's state
        // choice only the cities of Kansas itself, a blank after the name
        // making another state, and without a position too.
        type(form, QStringLiteral("kansas"));
        QCOMPARE(form.cityList->count(), 6);
        rightClick(form, 3);
        const QList<QAction*> actions = form.nearbyMenu->actions();
        const auto state = std::find_if(actions.begin(), actions.end(),
            [](const QAction* action) { return action->text() == u"Select Cities &in Kansas"; });
        QVERIFY(state != actions.end());
        (*state)->trigger();
        QCOMPARE(form.filterBox->text(), QString());
        QCOMPARE(form.cityList->selectedRows(), (QList<qsizetype> { 0, 3 }));
        QCOMPARE(form.focusWidget(), form.cityList);

        // A city without a state offers none.
        rightClick(form, 4);
        QVERIFY(!menuTexts(form).join(u' ').contains(QLatin1String("&in")));
        form.nearbyMenu->close();
        QCOMPARE(desktop.reports, QStringList());
    }

    void aCityWithoutPositionOffersNothing()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kNearBoston);
        auto app = desktop.load();
        Form1& form = app->form();
        form.show();
        form.nearbyMenu->setLocale(QLocale(QLocale::French, QLocale::France));

        // The menu key, and Shift+F10, open the menu of the current city.
        form.cityList->selectRow(5);
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(form.cityList, &key);
        QVERIFY(form.nearbyMenu->isVisible());
        const QStringList texts = menuTexts(form);
        QCOMPARE(texts.size(), 7);
        QCOMPARE(texts.first(), QStringLiteral("[list.txt gives no position for Quincy, Massachusetts]"));
        QCOMPARE(texts.at(1), QStringLiteral("[Select Cities Within 50 km of Quincy, Massachusetts]"));
        form.nearbyMenu->close();

        form.cityList->selectRow(3);
        QTest::keyClick(form.cityList, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(menuTexts(form).size(), 6);
        QCOMPARE(menuTexts(form).first(), QStringLiteral("Select Cities Within 50 km of Albany, New York"));
        form.nearbyMenu->close();

        // A file changed since the list was shown is said so, and no menu
        // comes up for a city the file may no longer hold.
        desktop.write(QStringLiteral("list.txt"), "http://other.listora.org/,Other,,1 2\r\n" + kNearBoston);
        rightClick(form, 0);
        QVERIFY(!form.nearbyMenu->isVisible());
        QCOMPARE(desktop.where(), QStringList { QStringLiteral("ListView1_ContextMenu:100") });
        QVERIFY(desktop.description(0).startsWith(QLatin1String("The location file has changed")));

        // Reading the file again for the selection reports a short line, and
        // selects the cities near the one chosen among the lines before it.
        desktop.write(QStringLiteral("list.txt"), kNearBoston);
        type(form, QStringLiteral("o"));
        rightClick(form, 4); // Boston
        QCOMPARE(menuTexts(form).at(3), QStringLiteral("Select Cities Within 400 km of Boston, Massachusetts"));
        desktop.write(
            QStringLiteral("list.txt"), kNearBoston.left(kNearBoston.indexOf("http://hartford")) + "broken\r\n");
        form.nearbyMenu->actions().at(3)->trigger(); // 400 km
        QCOMPARE(desktop.where().last(), QStringLiteral("mnuNearby_Click:104"));
        QCOMPARE(form.cityList->count(), 7);
        QCOMPARE(form.cityList->selectedRows(), (QList<qsizetype> { 0, 1, 3, 4, 6 }));
        // The filter does not repeat that report at the next keystroke.
        type(form, QStringLiteral("s"));
        QCOMPARE(desktop.reports.size(), 2);

        // A file gone by the time an entry is chosen: one report, and the
        // filter and the list stay as they were.
        desktop.write(QStringLiteral("list.txt"), kNearBoston);
        form.filterBox->setText(QStringLiteral("boston"));
        rightClick(form, 0);
        QFile::remove(desktop.dir.filePath(QStringLiteral("list.txt")));
        form.nearbyMenu->actions().at(0)->trigger();
        QCOMPARE(desktop.where().mid(2), QStringList { QStringLiteral("mnuNearby_Click:100") });
        QCOMPARE(form.filterBox->text(), QStringLiteral("boston"));
        QCOMPARE(subItemTexts(*form.cityList), QStringList { "Boston, Massachusetts" });

        // So does a file that no longer holds the city as it was when the
        // menu opened: a line added before it, or Boston moved to Albany,
        // whose cities within 50 km would leave Boston out.
        const QByteArray boston = "42.35843 -71.05977";
        for (const QByteArray& changed : { "http://other.listora.org/,Other,,1 2\r\n" + kNearBoston,
                 QByteArray(kNearBoston).replace(boston, "42.65258 -73.75623") }) {
            desktop.write(QStringLiteral("list.txt"), kNearBoston);
            rightClick(form, 0);
            desktop.write(QStringLiteral("list.txt"), changed);
            form.nearbyMenu->actions().at(0)->trigger();
            QCOMPARE(desktop.where().last(), QStringLiteral("mnuNearby_Click:100"));
            QVERIFY(desktop.description(int(desktop.reports.size()) - 1).startsWith("The location file has changed"));
            QCOMPARE(form.filterBox->text(), QStringLiteral("boston"));
            QCOMPARE(form.cityList->selectedRows(), QList<qsizetype>());
        }
        QCOMPARE(desktop.reports.size(), 5);
    }

    void shippedListPlacesEveryCity()
    {
        QFile list(QStringLiteral(QUILLMOOR_SOURCE_DIR "/data/list.txt"));
        QVERIFY(list.open(QIODevice::ReadOnly));
        const QByteArray bytes = list.readAll();
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QHash<QString, GeoPosition> where;
        const QList<QByteArray> lines = bytes.chopped(2).split('\n');
        for (const QByteArray& line : lines) {
            const QStringList fields = QString::fromUtf8(line.chopped(1)).split(u',');
            QCOMPARE(fields.size(), 4);
            const std::optional<GeoPosition> p = parsePosition(fields[3]);
            QVERIFY2(p, qPrintable(fields.join(u',')));
            where.insert(fields[1] + QStringLiteral(", ") + fields[2], *p);
        }
        QCOMPARE(where.size(), lines.size()); // no city twice
        const struct {
            const char* city;
            GeoPosition at;
        } known[] = {
            { "Boston, Massachusetts", { 42.36, -71.06 } },
            { "New York, New York", { 40.71, -74.01 } },
            { "Portland, Maine", { 43.66, -70.26 } },
            { "Newcastle, United Kingdom", { 54.98, -1.61 } },
            { "Newcastle, Australia", { -32.93, 151.78 } },
            { "Sydney, Nova Scotia", { 46.14, -60.18 } },
            { "Perth, Australia", { -31.95, 115.86 } },
            { "Cologne, Germany", { 50.94, 6.96 } },
            { "Hong Kong, China", { 22.28, 114.17 } },
            { "Sao Paulo, Brazil", { -23.55, -46.63 } },
        };
        for (const auto& k : known)
            QVERIFY2(distanceKm(where.value(QString::fromUtf8(k.city), { 0, 0 }), k.at) < 15, k.city);
    }

    void ownListGoesBeforeTheShippedOne()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), kCities);
        auto app = desktop.load();
        Form1& form = app->form();
        const QString own = desktop.dir.filePath(QStringLiteral("data/quillmoor/list.txt"));
        const QByteArray rome = "http://rome.listora.org/,Rome,Italy\r\n";
        const auto editList = [&] {
            rightClick(form, 0);
            form.nearbyMenu->actions().last()->trigger();
        };
        const auto ownBytes = [&] {
            QFile file(own);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        // A copy that cannot be made is reported, and nothing opens.
        desktop.write(QStringLiteral("data"), "a file where the folder goes");
        editList();
        QCOMPARE(desktop.where(), QStringList { QStringLiteral("mnuEditList_Click:100") });
        QVERIFY(QFile::remove(desktop.dir.filePath(QStringLiteral("data"))));
        // The first time, the shipped list is copied whole, nothing staged
        // stays behind, and the copy opens; the next keystroke reads it.
        editList();
        QCOMPARE(desktop.opened, QList<QUrl> { QUrl::fromLocalFile(own) });
        QCOMPARE(ownBytes(), kCities);
        QCOMPARE(QDir(QFileInfo(own).path()).entryList(QDir::Files | QDir::Hidden), QStringList { "list.txt" });
        desktop.write(QStringLiteral("data/quillmoor/list.txt"), rome);
        type(form, QStringLiteral("o"));
        QCOMPARE(subItemTexts(*form.cityList), QStringList { "Rome, Italy" });
        // A list already there is opened as it is, never copied over, also
        // when it appears between the look and the copy.
        editList();
        QCOMPARE(desktop.opened.size(), 2);
        desktop.write(QStringLiteral("staged"), kCities);
        QCOMPARE(os::placeNewFile(desktop.dir.filePath(QStringLiteral("staged")), own), EEXIST);
        QCOMPARE(ownBytes(), rome);
        // Gone again, the shipped list is back; with no city shown the menu
        // still offers the list to edit.
        QVERIFY(QFile::remove(own));
        type(form, QStringLiteral("zz"));
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(form.cityList, &key);
        QCOMPARE(menuTexts(form), QStringList { "&Edit City List\u2026" });
        form.filterBox->clear();
        QCOMPARE(form.cityList->count(), 4);
        QCOMPARE(desktop.reports.size(), 1);
    }

    void aStartUpFaultIsNotRepeatedByTheFilter()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), "a,A,\r\n\r\n");
        auto app = desktop.load();
        type(app->form(), QStringLiteral("a"));
        QCOMPARE(desktop.where(), QStringList { QStringLiteral("Form_Load:136") });
        QCOMPARE(app->form().cityList->count(), 1);
    }
};

QTEST_MAIN(LocationsTest)
#include "tst_locations.moc"
