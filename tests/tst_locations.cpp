// list.txt at start-up and the filter, through the real window.
#include "Form1.h"
#include "ItemModel.h"
#include "ListView.h"
#include "LocationFile.h"
#include "TestSupport.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QtTest>
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
    form.Text1->setFocus();
    QTest::keyClicks(form.Text1, text);
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
        ListView& list = *app->form().ListView1;
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
        QCOMPARE(app->form().ListView1->count(), loaded);
        // Start-up went on: the saved-search list got its column.
        QCOMPARE(app->form().ListView2->model()->columnCount(), 1);
    }

    void missingOrEmptyFile()
    {
        // Missing, or a folder or a pipe of that name (reported, never waited
        // on): one report at start-up, and typing on while the fault stays
        // adds none.
        enum Kind { Missing, Folder, Pipe };
        for (const auto& [kind, says] :
            { std::pair { Missing, "could not be opened" }, std::pair { Folder, "it is not an ordinary file." },
                std::pair { Pipe, "it is not an ordinary file." } }) {
            test::FakeDesktop desktop;
            const QString path = desktop.dir.filePath(QStringLiteral("list.txt"));
            if (kind == Folder)
                QVERIFY(QDir().mkdir(path));
            if (kind == Pipe)
                QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
            auto app = desktop.load();
            QCOMPARE(desktop.where(), QStringList { QStringLiteral("Form_Load:136") });
            QVERIFY2(desktop.description(0).contains(QLatin1String(says)), qPrintable(desktop.description(0)));
            QCOMPARE(app->form().ListView1->count(), 0);
            type(app->form(), QStringLiteral("bo"));
            QCOMPARE(desktop.where(), QStringList { QStringLiteral("Form_Load:136") });
        }

        test::FakeDesktop empty;
        empty.write(QStringLiteral("list.txt"), QByteArray());
        QCOMPARE(empty.load()->form().ListView1->count(), 0);
        QCOMPARE(empty.reports, QStringList());
    }

    void lineEndsAcrossReadChunks()
    {
        // A CR LF split between two reads of the file is still one line end,
        // and long lines survive being carried from one read to the next.
        QByteArray content;
        const QByteArray line = "h,Name,Add\r\n";
        while (content.size() + line.size() < (1 << 20))
            content += line;
        content += QByteArray((1 << 20) - content.size() - 1, 'x') + ",Split,\r\n";
        content += "long," + QByteArray(3 << 20, 'n') + ",x\r\nend,End,";
        const qsizetype expected = content.count("\r\n") + 1;
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), content);
        auto app = desktop.load();
        QCOMPARE(desktop.reports, QStringList());
        const ListView& list = *app->form().ListView1;
        QCOMPARE(list.count(), expected);
        QCOMPARE(list.subItemText(expected - 3), QStringLiteral("Split"));
        QCOMPARE(list.subItemText(expected - 2), QString(3 << 20, u'n') + QStringLiteral(", x"));
        // Only its start is shown.
        const QModelIndex shown = list.model()->index(int(expected - 2), 1);
        QCOMPARE(shown.data().toString(), QString(ItemModel::kShownLength, u'n'));
        QCOMPARE(list.subItemText(expected - 1), QStringLiteral("End"));
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
            form.Text1->setText(filter);
            QStringList expected;
            QStringList expectedAddresses;
            for (qsizetype i = 0; i < displayNames.size(); ++i) {
                if (displayNames[i].contains(filter, Qt::CaseInsensitive)) {
                    expected << displayNames[i];
                    expectedAddresses << addresses[i];
                }
            }
            QCOMPARE(subItemTexts(*form.ListView1), expected);
            QCOMPARE(itemTexts(*form.ListView1), expectedAddresses);
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
        QCOMPARE(subItemTexts(*form.ListView1), (QStringList { "New York, New York", "York, United Kingdom" }));
        QCOMPARE(
            itemTexts(*form.ListView1), (QStringList { "http://newyork.listora.org/", "http://york.listora.org/" }));
        // A blank is part of what is sought; a comma and blank match across
        // the name and its addition.
        form.Text1->setText(QStringLiteral(" york"));
        QCOMPARE(subItemTexts(*form.ListView1), QStringList { "New York, New York" });
        form.Text1->setText(QStringLiteral("on, mass"));
        QCOMPARE(subItemTexts(*form.ListView1), QStringList { "Boston, Massachusetts" });
        // Addresses are never matched.
        form.Text1->setText(QStringLiteral("listora"));
        QCOMPARE(form.ListView1->count(), 0);
        form.Text1->clear();
        QCOMPARE(form.ListView1->count(), 4);

        // The file is read again on every change.
        desktop.write(QStringLiteral("list.txt"), kCities + "http://rome.listora.org/,Rome,Italy\r\n");
        type(form, QStringLiteral("r"));
        QCOMPARE(subItemTexts(*form.ListView1).last(), QStringLiteral("Rome, Italy"));
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
        QCOMPARE(form.ListView1->count(), 2);

        // A short line: the matches before it, one report for the new fault.
        desktop.write(QStringLiteral("list.txt"), kCities + "broken line\r\nhttp://yorkton.listora.org/,Yorkton,\r\n");
        form.Text1->setText(QStringLiteral("york"));
        form.Text1->setText(QStringLiteral("yor"));
        QCOMPARE(
            desktop.where(), (QStringList { QStringLiteral("Text1_Change:100"), QStringLiteral("Text1_Change:102") }));
        QVERIFY(desktop.description(1).startsWith(QLatin1String("Line 5 ")));
        QCOMPARE(subItemTexts(*form.ListView1), (QStringList { "New York, New York", "York, United Kingdom" }));

        // Mended, then broken the same way again: that is a new fault.
        desktop.write(QStringLiteral("list.txt"), kCities);
        form.Text1->setText(QStringLiteral("yo"));
        QFile::remove(desktop.dir.filePath(QStringLiteral("list.txt")));
        form.Text1->setText(QStringLiteral("y"));
        QCOMPARE(desktop.reports.size(), 3);
    }

    void aStartUpFaultIsNotRepeatedByTheFilter()
    {
        test::FakeDesktop desktop;
        desktop.write(QStringLiteral("list.txt"), "a,A,\r\n\r\n");
        auto app = desktop.load();
        type(app->form(), QStringLiteral("a"));
        QCOMPARE(desktop.where(), QStringList { QStringLiteral("Form_Load:136") });
        QCOMPARE(app->form().ListView1->count(), 1);
    }
};

QTEST_MAIN(LocationsTest)
#include "tst_locations.moc"
