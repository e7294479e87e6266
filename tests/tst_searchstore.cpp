// The settings store's own work: merging two copies' lists, several keys in
// one careful save, the lock that QSettings takes.
#include "EntryText.h"
#include "SearchStore.h"
#include "SearchesFile.h"
#include "StoreSupport.h"

#include <QLockFile>
#include <QtTest>
#include <thread>

using namespace quillmoor;
using Store = test::StoreFiles;

class SearchStoreTest : public QObject {
    Q_OBJECT

private slots:
    void twoCopiesListsMerge()
    {
        const struct {
            QStringList atStart, mine, storedNow, merged;
        } merges[] = {
            { { "a" }, { "a", "b" }, { "a", "c" }, { "a", "c", "b" } },
            { { "a" }, { "a", "a", "b", "a" }, { "x", "a" }, { "x", "a", "a", "b", "a" } }, // repeats count
            { { "a", "a", "b" }, { "b", "a" }, { "a", "a", "b", "c" }, { "a", "b", "c" } }, // one "a" deleted here
            { { "a", "b" }, { "b" }, { "b" }, { "b" } }, // deleted in both copies
            { { "a", "b" }, { "c", "b", "d" }, { "b", "a", "e" }, { "b", "e", "c", "d" } },
            { {}, { "x" }, { "y" }, { "y", "x" } },
        };
        for (const auto& m : merges)
            QCOMPARE(mergeSearches(m.atStart, m.mine, m.storedNow), m.merged);
    }

    // Whatever text an entry is made from, it goes out one a line and comes
    // back the same.
    void whatGoesOutComesBack()
    {
        Store store;
        QStringList entries;
        for (const QString& text :
            { QStringLiteral("nul") + QChar(0) + QStringLiteral("in"), QStringLiteral("two\r\nline\rs\n"),
                QStringLiteral("\x1B[31mred\x7F\u009B"), QStringLiteral("\uFEFF\uFEFFmark and mid\uFEFFmark"),
                QStringLiteral("half ") + QChar(0xD800) + QStringLiteral("!"), QStringLiteral(" tab\tbar|per%25 "),
                QStringLiteral("\u2028\U0001F6B2") })
            entries << entryText(text);
        const QString file = store.desktop.dir.filePath(QStringLiteral("out.txt"));
        writeSearchesFile(file, entries, store.desktop.settingsFile());
        QCOMPARE(readSearchEntries(file), entries);
        QCOMPARE(
            entries.filter(QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0A-\\x1F\\x7F-\\x9F]"))), QStringList());
        QCOMPARE(entries[1], QStringLiteral("two line s "));
    }

    // Another program saving its own section holds the lock QSettings takes;
    // the save waits for it and keeps that program's change.
    void aSaveWaitsForTheLock()
    {
        Store store;
        store.setValue(QStringLiteral("old|"));
        const QString file = store.desktop.settingsFile();
        QLockFile lock(file + QStringLiteral(".lock"));
        QVERIFY(lock.lock());
        std::thread saving([&] {
            SaveSetting(file, QStringLiteral("Quillmoor"), QStringLiteral("Searches"),
                [](const QString&) { return QStringLiteral("mine|"); });
        });
        QTest::qWait(300);
        QCOMPARE(store.value(), QStringLiteral("old|"));
        store.desktop.write(QStringLiteral("config/Marrowfen.ini"), "[Other]\nk=2\n\n[Quillmoor]\nSearches=old|\n");
        lock.unlock();
        saving.join();
        QCOMPARE(store.bytes(), QByteArray("[Other]\nk=2\n\n[Quillmoor]\nSearches=mine|\n"));
    }

    // The settings of the program's section, several in one save: a key that
    // does not change keeps its line byte for byte.
    void severalKeysInOneSave()
    {
        Store store;
        const QString file = store.desktop.settingsFile();
        store.desktop.write(
            QStringLiteral("config/Marrowfen.ini"), "[Quillmoor]\nEngine = \"x\" ;kept\nSearches=a|\n[Other]\nk=1\n");
        const StoredTexts stored
            = GetSettings(file, QStringLiteral("Quillmoor"), { "Searches", "Engine", "PagesFrom" });
        QCOMPARE(stored.values.value("Searches"), QStringLiteral("a|"));
        QCOMPARE(stored.values.value("Engine"), QStringLiteral("x"));
        QCOMPARE(stored.values.value("PagesFrom"), QString());
        QStringList asked;
        const auto keep = [&](const QString& stored) { return asked << stored, stored; };
        SaveSettings(file, QStringLiteral("Quillmoor"),
            { { "Searches", [&](const QString& stored) { return asked << stored, stored + "b|"; } }, { "Engine", keep },
                { "PagesFrom", [](const QString&) { return QStringLiteral("2"); } } });
        QCOMPARE(asked, (QStringList { "a|", "x" }));
        QCOMPARE(
            store.bytes(), QByteArray("[Quillmoor]\nPagesFrom=2\nEngine = \"x\" ;kept\nSearches=a|b|\n[Other]\nk=1\n"));
    }
};

QTEST_MAIN(SearchStoreTest)
#include "tst_searchstore.moc"
