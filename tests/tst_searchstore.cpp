// The saved-search list in the settings store: written on close, read at
// start-up, never lost.
#include "Form1.h"
#include "ListView.h"
#include "SearchStore.h"
#include "SignalCloser.h"
#include "TestSupport.h"

#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using namespace quillmoor;
using test::itemTexts;

namespace {

struct Store {
    test::FakeDesktop desktop;
    Store() { desktop.write(QStringLiteral("list.txt"), "a,A,\r\n"); }

    QString value() const
    {
        return QSettings(desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/Searches").toString();
    }
    void setValue(const QString& value)
    {
        QSettings settings(desktop.settingsFile(), QSettings::IniFormat);
        settings.setValue("Quillmoor/Searches", value);
    }
    // Closes a window that shows `entries` and answers what the next start shows.
    QStringList roundTrip(const QStringList& entries)
    {
        save(entries);
        return itemTexts(*desktop.load()->form().ListView2);
    }
    void save(const QStringList& entries)
    {
        auto app = desktop.load();
        app->form().ListView2->clearItems();
        ItemBatch batch;
        for (const QString& entry : entries)
            batch.add(entry);
        app->form().ListView2->addItems(std::move(batch));
        app->form().close();
    }
};

} // namespace

class SearchStoreTest : public QObject {
    Q_OBJECT

private slots:
    void entriesComeBackAsTheyWere()
    {
        Store store;
        const QStringList entries = { "A", " b site:x.org ", "ü€ site:z", "dup", "dup", "=;\"#[x]\\," };
        QCOMPARE(store.roundTrip(entries), entries);
        QCOMPARE(store.value(), entries.join(u'|') + u'|');
        QCOMPARE(store.desktop.reports, QStringList());

        // Entries with bars stay whole; so does text that looks escaped.
        const QStringList bars = { "a|b", "|", "100% %7C", "plain" };
        QCOMPARE(store.roundTrip(bars), bars);
        QCOMPARE(store.value(), QStringLiteral("|a%7Cb|%7C|100%25 %257C|plain|"));

        // Empty entries are not restored; an empty list stores the empty text.
        QCOMPARE(store.roundTrip({ "", "x", "" }), QStringList { "x" });
        QCOMPARE(store.roundTrip({}), QStringList());
        QCOMPARE(store.value(), QString());
        QCOMPARE(store.desktop.reports, QStringList());
    }

    void valuesWrittenByHandReadAsBefore()
    {
        Store store;
        const auto restored = [&](const QString& value) {
            store.setValue(value);
            return itemTexts(*store.desktop.load()->form().ListView2);
        };
        QCOMPARE(restored(QStringLiteral("X|Y")), (QStringList { "X", "Y" })); // no final bar
        QCOMPARE(restored(QStringLiteral("||||")), QStringList());
        QCOMPARE(restored(QStringLiteral("a%7Cb|c%25|")), (QStringList { "a%7Cb", "c%25" })); // old format: kept as is
        QCOMPARE(restored(QStringLiteral("|a%7cb|")), QStringList { "a|b" });
        QCOMPARE(store.desktop.reports, QStringList());
    }

    void aHundredThousandEntries()
    {
        Store store;
        QStringList entries;
        for (int i = 0; i < 100000; ++i)
            entries << QStringLiteral("item %1 site:city%2.listora.org").arg(i).arg(i % 300);
        QCOMPARE(store.roundTrip(entries), entries);
        QCOMPARE(store.desktop.reports, QStringList());
    }

    void anUnwritableStoreKeepsThePreviousValue()
    {
        Store store;
        store.setValue(QStringLiteral("old|"));
        // Root may write anywhere, so the write is made to fail through the
        // file-size limit: the new value is larger than a file may grow.
        struct rlimit saved;
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        store.save({ QString(10000, u'n') });
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(store.desktop.where(), QStringList { QStringLiteral("Form_QueryUnload:106") });
        QCOMPARE(store.value(), QStringLiteral("old|"));

        // A settings folder that cannot be made at all.
        Store blocked;
        blocked.desktop.write(QStringLiteral("config"), "a file where the folder should be");
        blocked.save({ "x" });
        QCOMPARE(blocked.desktop.where(), QStringList { QStringLiteral("Form_QueryUnload:106") });
    }

    void aHandEditedFileThatDoesNotParseIsNotALoss()
    {
        Store store;
        store.desktop.write(
            QStringLiteral("config/Marrowfen.ini"), "[Other]\nkept=1\n[Quillmoor]\nSearches=one|two|\n[broken\nx=1\n");
        auto app = store.desktop.load();
        QCOMPARE(itemTexts(*app->form().ListView2), (QStringList { "one", "two" }));
        app->form().ListView2->addItem(QStringLiteral("three"));
        app->form().close();
        // Said once, at start-up, naming the copy; the close adds nothing.
        const QString aside = store.desktop.settingsFile() + QStringLiteral(".unreadable");
        QCOMPARE(store.desktop.where(), QStringList { QStringLiteral("Form_Load:142") });
        QVERIFY(store.desktop.description(0).contains(u'"' + aside + u'"'));
        QCOMPARE(store.value(), QStringLiteral("one|two|three|"));
        const QSettings written(store.desktop.settingsFile(), QSettings::IniFormat);
        QCOMPARE(written.status(), QSettings::NoError);
        QCOMPARE(written.value("Other/kept").toInt(), 1);
        QCOMPARE(written.value("broken/x").toInt(), 1);
        QFile copy(aside);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QVERIFY(copy.readAll().endsWith("[broken\nx=1\n"));

        // A later, different broken file never replaces the earlier copy.
        store.desktop.write(QStringLiteral("config/Marrowfen.ini"), "[again\n");
        store.desktop.load()->form().close();
        QCOMPARE(store.desktop.where().size(), 2);
        QVERIFY(store.desktop.description(1).contains(aside + QStringLiteral(".2\"")));
        copy.seek(0);
        QVERIFY(copy.readAll().endsWith("[broken\nx=1\n"));
    }

    void terminationClosesLikeTheUser()
    {
        Store store;
        Application app(store.desktop.platform());
        SignalCloser closer([&app] { app.requestClose(); });
        app.start();
        app.form().ListView2->addItem(QStringLiteral("kept"));
        QVERIFY(app.form().isVisible());
        std::raise(SIGTERM);
        QTRY_VERIFY(!app.form().isVisible());
        QCOMPARE(store.value(), QStringLiteral("kept|"));
    }
};

QTEST_MAIN(SearchStoreTest)
#include "tst_searchstore.moc"
