// The settings store's own work: merging two copies' lists, saving as the
// list changes, several keys in one careful save, the lock that QSettings
// takes.
#include "EntryText.h"
#include "ListVersion.h"
#include "OpenedRecord.h"
#include "SearchSaver.h"
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
            QStringList base, mine, storedNow, merged;
        } merges[] = {
            { { "a" }, { "a", "b" }, { "a", "c" }, { "a", "b", "c" } },
            { { "a" }, { "a", "a", "b", "a" }, { "x", "a" }, { "a", "a", "b", "a", "x" } }, // repeats count
            { { "a", "a", "b" }, { "b", "a" }, { "a", "a", "b", "c" }, { "b", "a", "c" } }, // one "a" deleted here
            { { "a", "b" }, { "b" }, { "b" }, { "b" } }, // deleted in both copies
            { { "a", "b" }, { "c", "b", "d" }, { "b", "a", "e" }, { "c", "b", "d", "e" } },
            { {}, { "x" }, { "y" }, { "x", "y" } },
            { { "a", "b" }, { "b", "a", "a" }, { "b" }, { "b", "a" } }, // deleted there, added again here
            // A move and an F2 here keep their places; the others' additions follow.
            { { "p2", "p3", "p4" }, { "p3", "p2", "p4", "p5new" }, { "p2", "p3", "p4", "X1", "X2" },
                { "p3", "p2", "p4", "p5new", "X1", "X2" } },
        };
        for (const auto& m : merges)
            QCOMPARE(mergeSearches(m.base, m.mine, m.storedNow), m.merged);

        // Which file a save finds: only one descended from this copy's last
        // save may clear this copy's entries.
        const ListVersion known = ListVersion::of(QString(), "a|b|");
        const QString later = ListVersion { known.line, 4 }.text();
        const struct {
            const char* name;
            QString version, searches;
            QStringList stored;
        } files[] = {
            { "saved by another copy", later, "b|x|", { "b", "x" } },
            { "no file", {}, {}, { "b", "a" } },
            { "made anew", {}, "x|", { "b", "a", "x" } },
            { "another line", ListVersion::after(ListVersion()).text(), "x|", { "b", "a", "x" } },
            { "an older save put back", ListVersion { known.line, 2 }.text(), "x|", { "b", "a", "x" } },
        };
        for (const auto& f : files) {
            const ListToStore store = listToStore({ known.line, 3 }, { "a", "b" }, { "b", "a" }, f.version, f.searches);
            QVERIFY2(store.entries == f.stored, f.name);
            QVERIFY2(store.version.saves == ListVersion::of(f.version, f.searches).saves + 1, f.name);
        }
    }

    // Two copies saving as they go, in turn, and never closed (as a kill
    // leaves them): each keeps the other's additions and deletions. A burst
    // of changes makes one save; a save that fails is said once, and the
    // next change saves once it can.
    void savingAsTheUserGoes()
    {
        Store store;
        store.setValue(QStringLiteral("a|b|"));
        const QString file = store.desktop.settingsFile();
        QStringList lists[2] = { { "a", "b" }, { "a", "b" } };
        int snapshots = 0;
        SearchSaver first(
            file,
            [&] {
                return ++snapshots, SearchSaver::Snapshot { lists[0], {} };
            },
            20);
        SearchSaver second(
            file,
            [&] {
                return SearchSaver::Snapshot { lists[1], {} };
            },
            20);
        for (SearchSaver* saver : { &first, &second })
            saver->begin(QStringLiteral("a|b|"), QString());
        const auto edit = [&](SearchSaver& saver, QStringList& list, const QStringList& now) {
            QSignalSpy ended(&saver, &SearchSaver::finished);
            list = now;
            for (int i = 0; i < 30; ++i)
                saver.changed();
            return ended.wait() && !ended.wait(100);
        };
        QVERIFY(edit(first, lists[0], { "a", "b", "one" }));
        QVERIFY(edit(second, lists[1], { "b", "two" }));
        QVERIFY(edit(first, lists[0], { "a", "one", "three" }));
        QCOMPARE(store.value(), QStringLiteral("one|three|two|"));
        QCOMPARE(snapshots, 2);

        QSignalSpy failed(&second, &SearchSaver::failed);
        QVERIFY(QFile::remove(file) && QDir().mkdir(file));
        QVERIFY(edit(second, lists[1], { "two", "four" }));
        QVERIFY(edit(second, lists[1], { "two", "four", "five" }));
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed.at(0).at(0).toString().contains(QStringLiteral("not an ordinary file")));
        QVERIFY(QDir().rmdir(file));
        QVERIFY(edit(second, lists[1], { "two", "five" }));
        QCOMPARE(store.value(), QStringLiteral("two|five|"));
        QCOMPARE(failed.size(), 1);
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
            SaveSettings(file, QStringLiteral("Quillmoor"), { QStringLiteral("Searches") },
                [](const QStringList&) { return QStringList { QStringLiteral("mine|") }; });
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
    // Times of other copies count; the later wins; texts are kept whole,
    // once each, in list order, and only those still listed.
    void openedTimesMerge()
    {
        const OpenedRecord own { { QStringLiteral("a|b"), 50 }, { QStringLiteral("c"), 10 } };
        const QString stored = QStringLiteral("20 c|30 d|x y|40 a%7Cb|");
        const QStringList entries { "d", "c", "a|b", "c", "e" };
        QCOMPARE(mergedOpenedText(stored, own, entries), QStringLiteral("30 d|20 c|50 a%7Cb|"));
        QCOMPARE(openedRecordFromText(mergedOpenedText(QString(), own, entries)), own);
        QVERIFY(mergedOpenedText(QString(), {}, entries).isNull());
        QCOMPARE(mergedOpenedText(stored, {}, { "z" }), QStringLiteral(""));
    }

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
        SaveSettings(
            file, QStringLiteral("Quillmoor"), { "Searches", "Engine", "PagesFrom" }, [&](const QStringList& stored) {
                asked = stored;
                return QStringList { stored[0] + "b|", stored[1], QStringLiteral("2") };
            });
        QCOMPARE(asked, (QStringList { "a|", "x", QString() }));
        QVERIFY(asked[2].isNull());
        QCOMPARE(
            store.bytes(), QByteArray("[Quillmoor]\nPagesFrom=2\nEngine = \"x\" ;kept\nSearches=a|b|\n[Other]\nk=1\n"));
    }
};

QTEST_MAIN(SearchStoreTest)
#include "tst_searchstore.moc"
