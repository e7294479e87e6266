// The settings store's own work: merging two copies' lists, saving as the
// list changes, several keys in one careful save, the lock that QSettings
// takes.
#include "Backups.h"
#include "CarefulFile.h"
#include "ConflictCopies.h"
#include "EntryText.h"
#include "Failure.h"
#include "ListVersion.h"
#include "OpenedRecord.h"
#include "RescueFile.h"
#include "SavedLists.h"
#include "SearchSaver.h"
#include "SearchStore.h"
#include "SearchesFile.h"
#include "StoreSupport.h"
#include "StoredLookup.h"

#include <QLockFile>
#include <QtTest>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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
            // A change both made alike counts once.
            { { "a", "a", "b" }, { "a", "b" }, { "b", "a" }, { "a", "b" } }, // one of two repeats deleted in both
            { { "a" }, { "a", "c" }, { "c", "a" }, { "a", "c" } }, // the same search added in both
            { { "a" }, { "a", "c", "c" }, { "a", "c" }, { "a", "c", "c" } }, // the larger change of the two
            { { "a", "a", "a" }, { "a" }, { "a", "a" }, { "a" } },
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

        // A count at its top goes on in the line after it, the same for
        // every copy; a copy that saw the old line still applies its
        // deletions there, and one on the new line takes the old for a
        // file put back.
        const ListVersion top { known.line, std::numeric_limits<qint64>::max() };
        const ListVersion next = listToStore(top, {}, {}, top.text(), "a|").version;
        QVERIFY(next.line != top.line && next.line == ListVersion::after(top).line && next.saves == 1);
        const ListToStore across
            = listToStore({ known.line, top.saves - 1 }, { "a", "b" }, { "b", "a" }, next.text(), "b|x|");
        QCOMPARE(across.entries, QStringList({ "b", "x" }));
        QVERIFY(across.version.line == next.line && across.version.saves == 2);
        QCOMPARE(listToStore(next, { "a" }, {}, top.text(), "a|").entries, QStringList(QStringLiteral("a")));

        // Two computers that each made the next save of the same file (a
        // sync tool brought one over the other) are siblings: merged from
        // the parent both came from, both additions and both deletions stay.
        const ListVersion parent = ListVersion::after(ListVersion());
        const ListVersion here = ListVersion::after(parent);
        const ListVersion there = ListVersion::after(parent);
        QVERIFY(here.saves == there.saves && !here.leadsTo(there) && parent.leadsTo(there));
        KnownSaves seen(parent, { "a", "b", "c" });
        seen.add(here, { "a", "b", "x" });
        const ListToStore sibling = listToStore(seen, { "a", "b", "x" }, there.text(), "b|c|y|");
        QCOMPARE(sibling.entries, QStringList({ "b", "x", "y" }));
        QCOMPARE(ListVersion::of(sibling.version.text(), "b|x|y|").marks.mid(1, 2), there.marks.mid(0, 2));
        // A later save of the sibling's is still no descendant of this
        // copy's; nor is one too far ahead for its marks to reach back.
        ListVersion far = there;
        for (int i = 0; i < 16; ++i)
            far = ListVersion::after(far);
        QVERIFY(!here.leadsTo(ListVersion::after(there)) && parent.leadsTo(ListVersion::after(there)));
        QCOMPARE(listToStore(KnownSaves(parent, { "a", "b" }), { "a", "b" }, far.text(), "a|").entries,
            QStringList({ "a", "b" }));
        // What an older build wrote (no marks) reads as it always did.
        QVERIFY((ListVersion { known.line, 3 }).leadsTo(ListVersion::of(later, "x|")));
        QVERIFY((ListVersion { known.line, 3 }).leadsTo(ListVersion::after({ known.line, 3 })));
    }

    // Two computers whose settings files a sync tool keeps together: each
    // adds a search at once, the tool renames the other's file over one of
    // them, then that one's merge back over the other: both searches stay.
    void twoComputersThroughASyncTool()
    {
        Store homes[2];
        QStringList lists[2] = { { "a" }, { "a" } };
        homes[0].setValue(QStringLiteral("a|"));
        const auto putInPlace = [&](int from, int to) {
            const QString target = homes[to].desktop.settingsFile();
            QDir().mkpath(QFileInfo(target).path());
            QFile::remove(target + QStringLiteral(".sync"));
            QVERIFY(QFile::copy(homes[from].desktop.settingsFile(), target + QStringLiteral(".sync")));
            QVERIFY(std::rename(qPrintable(target + QStringLiteral(".sync")), qPrintable(target)) == 0);
        };
        putInPlace(0, 1);
        std::unique_ptr<SearchSaver> savers[2];
        for (int i = 0; i < 2; ++i) {
            savers[i] = std::make_unique<SearchSaver>(
                homes[i].desktop.settingsFile(),
                [&lists, i] {
                    return SearchSaver::Snapshot { lists[i], {} };
                },
                20, 20);
            const StoredTexts read = GetSettings(homes[i].desktop.settingsFile(), QStringLiteral("Quillmoor"),
                { QStringLiteral("Searches"), QStringLiteral("SearchesVersion") });
            savers[i]->begin(read.values.value("Searches"), read.values.value("SearchesVersion"));
            connect(
                savers[i].get(), &SearchSaver::tookIn, [&lists, i](const QStringList& from, const QStringList& stored) {
                    lists[i] = mergeSearches(from, lists[i], stored);
                });
        }
        for (int i = 0; i < 2; ++i) {
            lists[i] << (i == 0 ? "one" : "two");
            savers[i]->changed();
        }
        QTRY_VERIFY(homes[0].value() == "a|one|" && homes[1].value() == "a|two|");
        putInPlace(1, 0);
        QTRY_COMPARE(homes[0].value(), QStringLiteral("a|one|two|"));
        putInPlace(0, 1);
        QTRY_COMPARE(lists[1], QStringList({ "a", "one", "two" }));
        QCOMPARE(lists[0], lists[1]);
        QCOMPARE(homes[1].value(), QStringLiteral("a|one|two|"));
    }

    // A file written in place while a save reads it (as some sync tools
    // write) is read once it holds still: its half is no list that lost
    // the searches it had not yet written.
    void aFileWrittenInPlaceIsReadWhole()
    {
        Store store;
        const QString file = store.desktop.settingsFile();
        const ListVersion parent = ListVersion::after(ListVersion());
        const QByteArray whole = "[Quillmoor]\nSearchesVersion=" + ListVersion::after(parent).text().toLatin1()
            + "\nSearches=a|b|c|d|e|\n";
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        std::thread writer([&] {
            for (qsizetype at = 0; at < whole.size(); at += 8) {
                out.write(whole.mid(at, 8));
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        SaveSettings(file, QStringLiteral("Quillmoor"),
            { QStringLiteral("Searches"), QStringLiteral("SearchesVersion") }, [&](const QStringList& stored) {
                return QStringList { storedValue(listToStore(parent, { "a", "b", "c", "d" },
                                         { "a", "b", "c", "d", "mine" }, stored[1], stored[0])
                                                     .entries),
                    stored[1] };
            });
        writer.join();
        QCOMPARE(store.value(), QStringLiteral("a|b|c|d|mine|e|"));
    }

    // What a sync tool leaves beside the file when both computers changed
    // it: each tool's conflict copy is merged in once and put away with the
    // backups; one that cannot be read stays and is said once; the tool's
    // temporary files and a lock file from the other computer are no list
    // and hold no save back.
    void conflictCopiesAreTakenIn()
    {
        Store store;
        store.setValue(QStringLiteral("a|b|"));
        const QString file = store.desktop.settingsFile();
        const ListVersion parent = ListVersion::after(ListVersion());
        QSettings(file, QSettings::IniFormat).setValue("Quillmoor/SearchesVersion", parent.text());
        const QDir folder = QFileInfo(file).dir();
        const auto copy = [&](const QString& name, const QString& searches, const QString& version) {
            QSettings settings(folder.filePath(name), QSettings::IniFormat);
            settings.setValue("Quillmoor/Searches", searches);
            if (!version.isEmpty())
                settings.setValue("Quillmoor/SearchesVersion", version);
            settings.setValue("Other/Key", "kept");
        };
        copy("Marrowfen (conflicted copy 2026-12-08 101010).ini", "a|y|x|", {}); // of unknown descent
        copy("Marrowfen (laptop's conflicted copy 2026-12-08).ini", "z|", {});
        copy("Marrowfen.sync-conflict-20261208-101010-ABCDEF7.ini", "a|x|", ListVersion::after(parent).text());
        copy(".syncthing.Marrowfen.ini.tmp", "t|", {});
        QVERIFY(!isConflictCopy(file, "Marrowfen.ini.sync-conflict-20261208-101010-ABCDEF7.lock"));
        QFile unreadable(folder.filePath("Marrowfen.sync-conflict-20261209-101010-XYZ1234.ini"));
        QVERIFY(unreadable.open(QIODevice::WriteOnly) && unreadable.write("[Quillmoor]\nSearches=@Invalid()\n") > 0);
        unreadable.close();
        QFile lock(file + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly) && lock.write("4242\nquillmoor\nlaptop-far-away\n") > 0);
        lock.close();

        QStringList list = { "a", "b" };
        SearchSaver saver(
            file,
            [&] {
                return SearchSaver::Snapshot { list, {} };
            },
            20, 20);
        const QString backups = store.desktop.dir.filePath("backups");
        saver.keepBackupsIn(backups);
        QSignalSpy cameBack(&saver, &SearchSaver::cameBack);
        // The box that says so runs the event loop, where the file is looked
        // at again: that must not take what came in for deletions.
        connect(&saver, &SearchSaver::cameBack, [] { QTest::qWait(300); });
        QSignalSpy noticed(&saver, &SearchSaver::noticed);
        connect(&saver, &SearchSaver::tookIn,
            [&](const QStringList& from, const QStringList& stored) { list = mergeSearches(from, list, stored); });
        QElapsedTimer took;
        took.start();
        saver.begin(QStringLiteral("a|b|"), parent.text());
        QTRY_COMPARE(list, QStringList({ "a", "y", "x", "z" }));
        QCOMPARE_LT(took.elapsed(), kLockWaitMs);
        QCOMPARE(store.value(), QStringLiteral("a|y|x|z|"));
        QCOMPARE(cameBack.size(), 1);
        QCOMPARE(cameBack.at(0).at(0).toString(), QStringLiteral("3 searches from another computer's copy came back"));
        QTest::qWait(200);
        QCOMPARE(noticed.size(), 1);
        QVERIFY(noticed.at(0).at(0).toString().contains("not text"));
        QCOMPARE(conflictCopiesOf(file), QStringList(unreadable.fileName()));
        QCOMPARE(QDir(conflictCopiesFolder(backups)).entryList(QDir::Files).size(), 3);
        QVERIFY(folder.exists(".syncthing.Marrowfen.ini.tmp"));
        // Another window on this computer that took the same copy in and put
        // it away first leaves nothing to say.
        QCOMPARE(putAwayConflictCopy(backups, folder.filePath("Marrowfen (laptop's conflicted copy 2026-12-08).ini")),
            QString());
        QCOMPARE(cameBack.size(), 1);
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
            20, 0);
        SearchSaver second(
            file,
            [&] {
                return SearchSaver::Snapshot { lists[1], {} };
            },
            20, 0);
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

    // A failed save is tried again with no edit to start it, and a failure
    // that lasts is said again (here after 2.5 s); the close waits for the
    // lock once at most, and keeps what it cannot save aside.
    void aFailedSaveIsTriedAgain()
    {
        Store store;
        const QString file = store.desktop.settingsFile();
        QStringList list = { "a" };
        SearchSaver saver(
            file,
            [&] {
                return SearchSaver::Snapshot { list, {} };
            },
            20, 0, 2500);
        saver.begin(QString(), QString());
        QSignalSpy failed(&saver, &SearchSaver::failed);
        QVERIFY(QDir().mkpath(file));
        // Tried again after waits that grow (1 s, then 2 s).
        QList<qint64> tries;
        QList<qint64> said;
        QElapsedTimer clock;
        clock.start();
        connect(&saver, &SearchSaver::finished, [&] { tries << clock.elapsed(); });
        connect(&saver, &SearchSaver::failed, [&] { said << clock.elapsed(); });
        saver.changed();
        QTRY_VERIFY_WITH_TIMEOUT(tries.size() == 3, 5000);
        QCOMPARE_GT(tries[2] - tries[1], (tries[1] - tries[0]) * 3 / 2);
        QCOMPARE_GE(tries[1] - tries[0], SearchSaver::kFirstRetryMs * 9 / 10); // a coarse timer may be early
        QCOMPARE(said.size(), 2);
        QCOMPARE_GE(said[1] - said[0], 2500);
        QVERIFY(QDir().rmdir(file));
        QTRY_COMPARE_WITH_TIMEOUT(store.value(), QStringLiteral("a|"), 6000);
        QCOMPARE(failed.size(), 2);

        QLockFile lock(file + QStringLiteral(".lock"));
        QVERIFY(lock.lock());
        list << "b";
        saver.changed();
        QTest::qWait(100); // the save in flight now waits for the lock
        QElapsedTimer closing;
        closing.start();
        QVERIFY_THROWS_EXCEPTION(Failure, saver.saveLast({ list, {} }));
        QCOMPARE_LT(closing.elapsed(), kLockWaitMs + 1000);
        QString trouble;
        const QList<RescuedList> kept = findRescued(file, {}, &trouble);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept[0].entries, (QStringList { "a", "b" }));
        QCOMPARE(kept[0].base, QStringList { "a" });
    }

    // A save that never ends (here a lock file that is a pipe, as a mount
    // that stopped answering hangs every call) holds the close no longer
    // than the lock's wait and a moment: the list goes to the rescue file.
    void aCloseAlwaysEnds()
    {
        Store store;
        const QString file = store.desktop.settingsFile();
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QVERIFY(mkfifo(qPrintable(file + QStringLiteral(".lock")), 0600) == 0);
        auto saver = std::make_unique<SearchSaver>(
            file, [] { return SearchSaver::Snapshot {}; }, 20, 0);
        saver->begin(QString(), QString());
        QElapsedTimer closing;
        closing.start();
        QVERIFY_THROWS_EXCEPTION(Failure, saver->saveLast({ { "a", "b" }, {} }));
        QCOMPARE_LT(closing.elapsed(), kLockWaitMs + SearchSaver::kCloseGraceMs + 500);
        QVERIFY(saver->abandoned());
        QCOMPARE(findRescued(file, {}, nullptr).value(0).entries, QStringList({ "a", "b" }));
        saver.release(); // its save still runs, and may touch it
    }

    // A list a close kept aside comes back once, however many copies start
    // at once and wherever one dies; a file that holds no list is said so.
    void aRescuedListComesBackOnce()
    {
        Store store;
        store.setValue(QStringLiteral("a|"));
        const QString file = store.desktop.settingsFile();
        const QString kept
            = keepRescued(file, { QString(), { "a", "b" }, { "a" }, ListVersion::of(QString(), "a|").text(), {}, {} });
        QFile rescue(kept);
        QVERIFY(rescue.open(QIODevice::ReadOnly));
        const QByteArray bytes = rescue.readAll();
        rescue.close();
        QCOMPARE(takeBackRescued(file, {}).searches, 1);
        QCOMPARE(takeBackRescued(file, {}).files, QStringList()); // a second copy starting
        QCOMPARE(store.value(), QStringLiteral("a|b|"));
        store.desktop.write(QStringLiteral("config/Marrowfen.ini.rescued"), bytes); // died before removing it
        const TakenBack again = takeBackRescued(file, {});
        QCOMPARE(again.files, QStringList { kept });
        QCOMPARE(again.searches, 0);
        QCOMPARE(store.value(), QStringLiteral("a|b|"));
        QVERIFY(!QFile::exists(kept));

        // The other lists a close could not save come back too, with what
        // the file gained meanwhile.
        const SavedLists lists { { "Saved Searches", "Futon" }, { { "Futon", { "f1", "f2" } } } };
        keepRescued(file, { QString(), { "a", "b" }, {}, QString(), {}, {}, lists });
        QSettings(file, QSettings::IniFormat).setValue("Quillmoor/" + listKey("Futon"), "f0|");
        takeBackRescued(file, {});
        const QSettings settings(file, QSettings::IniFormat);
        QCOMPARE(settings.value("Quillmoor/Lists").toString(), QStringLiteral("Saved Searches|Futon|"));
        QCOMPARE(settings.value("Quillmoor/" + listKey("Futon")).toString(), QStringLiteral("f1|f2|f0|"));

        store.desktop.write(QStringLiteral("config/Marrowfen.ini.rescued"), "\x89PNG\r\n\x1a\n\0\0garbage");
        const TakenBack none = takeBackRescued(file, {});
        QCOMPARE(none.files, QStringList());
        QVERIFY2(none.trouble.contains(QStringLiteral("holds no list")) && none.trouble.contains(".unreadable"),
            qPrintable(none.trouble));
        QCOMPARE(store.value(), QStringLiteral("a|b|"));
    }

    // A backup a day, the newest fifteen kept, each with its count.
    void backupsToGoBackTo()
    {
        Store store;
        const QString folder = backupFolder(store.desktop.dir.filePath(QStringLiteral("data")));
        const QDateTime first(QDate(2026, 11, 1), QTime(9, 0));
        for (int day = 0; day < 17; ++day)
            QVERIFY(!keepBackup(folder, QStringList(day + 1, QStringLiteral("s")), first.addDays(day)).isEmpty());
        QCOMPARE(keepBackup(folder, {}, first.addDays(20)), QString()); // nothing to keep
        const QList<Backup> backups = listBackups(folder);
        QCOMPARE(backups.size(), kBackupsKept);
        QCOMPARE(backups.first().made, first.addDays(16));
        QCOMPARE(backups.first().searches, 17);
        QCOMPARE(backups.last().searches, 3);
        QCOMPARE(readSearchEntries(backups.last().file), QStringList(3, QStringLiteral("s")));
        QVERIFY(hasBackupOf(folder, QDate(2026, 11, 17)));
        QVERIFY(!hasBackupOf(folder, QDate(2026, 11, 1)));

        // Named by universal time and shown in local time; the local names
        // of earlier versions still read.
        QVERIFY(backupNameFor(first).endsWith(QStringLiteral("Z.txt")));
        QCOMPARE(backupTimeOf(backupNameFor(first)), first);
        QCOMPARE(backupTimeOf(QStringLiteral("searches-2026-11-01T090000.txt")), first);
        for (const char* name : { "searches-2026-11-01T0900.txt", "searches-2026-13-01T090000Z.txt",
                 "searches-2026-11-01 090000Z.txt", "searches-2026-11-01T090000Z.txt.txt" })
            QVERIFY2(!backupTimeOf(QLatin1String(name)).isValid(), name);
        // A backup dated in the future and over the size bound pushes no
        // true one out: it goes first. The newest stays, however large.
        const QString other = folder + QStringLiteral("2");
        QVERIFY(QDir().mkpath(other));
        const QStringList large(100000, QString(90, u'x'));
        writeSearchesFile(other + u'/' + backupNameFor(first.addYears(5)), large, QString());
        const QString older = keepBackup(other, { "old" }, first);
        const QString newer = keepBackup(other, { "new" }, first.addDays(1));
        QCOMPARE(QDir(other).entryList(QDir::Files, QDir::Name),
            (QStringList { QFileInfo(older).fileName(), QFileInfo(newer).fileName() }));
        const QString largest = keepBackup(other, large, first.addDays(2));
        const QList<Backup> left = listBackups(other);
        QCOMPARE(left.size(), 1);
        QCOMPARE(left.first().file, largest);
        QCOMPARE(left.first().searches, large.size());
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
                QStringLiteral("\u2028\U0001F6B2"), QStringLiteral("\x03\uFEFFbike site:a.listora.org\n") })
            entries << entryText(text);
        for (const QString& entry : entries)
            QCOMPARE(entryText(entry), entry);
        const QString file = store.desktop.dir.filePath(QStringLiteral("out.txt"));
        writeSearchesFile(file, entries, store.desktop.settingsFile());
        QCOMPARE(readSearchEntries(file), entries);
        QCOMPARE(
            entries.filter(QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0A-\\x1F\\x7F-\\x9F]"))), QStringList());
        QCOMPARE(entries[1], QStringLiteral("two line s "));
    }

    // Links are followed as the system follows them: in any part of the
    // path, a relative one from its own folder, ".." after one from where it
    // led; past a part that is no folder the rest stays as named.
    void linksAreResolvedAsTheSystemDoes()
    {
        QTemporaryDir dir;
        const QString root = QFileInfo(dir.path()).canonicalFilePath();
        QVERIFY(QDir(root).mkpath(QStringLiteral("real/sub")));
        QVERIFY(QFile::link(QStringLiteral("real/sub"), root + QStringLiteral("/in")));
        QVERIFY(QFile::link(root + QStringLiteral("/real"), root + QStringLiteral("/abs")));
        QVERIFY(QFile::link(QStringLiteral("loop"), root + QStringLiteral("/loop")));
        const std::pair<const char*, const char*> rows[] = { { "in/../x.ini", "real/x.ini" },
            { "abs/./sub/x.ini", "real/sub/x.ini" }, { "in/x.ini", "real/sub/x.ini" },
            { "gone/a/../b.ini", "gone/a/../b.ini" }, { "loop/x.ini", nullptr } };
        for (const auto& [path, resolved] : rows) {
            QString got;
            try {
                got = resolveLinks(root + u'/' + QLatin1String(path));
            } catch (const FileTrouble& trouble) {
                got = trouble.text;
            }
            QCOMPARE(got,
                resolved ? root + u'/' + QLatin1String(resolved) : QStringLiteral("its links go round in a circle"));
        }
    }

    // A link that another user made in a shared folder (as /tmp) is not
    // written through, nor followed on the way to the settings file, whether
    // it stands for the file or for a folder on its path; one of the user's
    // own, or of the folder's owner, is.
    void linksInASharedFolder()
    {
        if (::geteuid() != 0)
            QSKIP("Giving a link to another user takes root.");
        Store store;
        QTemporaryDir shared;
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        const QString kept = store.desktop.dir.filePath(QStringLiteral("bashrc"));
        const QString link = shared.filePath(QStringLiteral("searches.txt"));
        const QString home = shared.filePath(QStringLiteral("home")); // a link to the user's folder
        const QString settingsLink = store.desktop.dir.filePath(QStringLiteral("settings.ini"));
        const struct {
            uid_t folderOwner, linkOwner;
            QString written;
            bool followed;
        } rows[] = { { 0, 4242, link, false }, { 0, 0, link, true }, { 4242, 4242, link, true },
            { 0, 4242, home + "/bashrc", false }, { 4242, 4242, home + "/bashrc", true } };
        const auto whyNot = [](const std::function<void()>& write) {
            try {
                write();
            } catch (const Failure& failure) {
                return failure.description();
            }
            return QString();
        };
        for (const auto& row : rows) {
            for (const QString& name : { link, home, settingsLink })
                QFile::remove(name);
            QDir(store.desktop.dir.filePath(QStringLiteral("made"))).removeRecursively();
            store.desktop.write(QStringLiteral("bashrc"), "kept\n");
            QVERIFY(::chown(QFile::encodeName(shared.path()).constData(), row.folderOwner, 0) == 0);
            QVERIFY(QFile::link(kept, link) && QFile::link(store.desktop.dir.path(), home));
            QVERIFY(QFile::link(row.written, settingsLink));
            for (const QString& name : { link, home })
                QVERIFY(::lchown(QFile::encodeName(name).constData(), row.linkOwner, 0) == 0);
            const QString why = whyNot([&] { writeSearchesFile(row.written, { "x" }, store.desktop.settingsFile()); });
            // Nor is a folder made through it for the settings file, the
            // backups or the rescue file.
            const auto value = [](const QStringList&) { return QStringList { "v" }; };
            QFile::remove(store.desktop.dir.filePath(QStringLiteral("q.ini.rescued")));
            QCOMPARE(whyNot([&] {
                keepRescued(home + "/q.ini", { {}, { "x" }, {}, {}, {}, {} });
            }).isEmpty(),
                row.followed);
            QCOMPARE(QFileInfo::exists(store.desktop.dir.filePath(QStringLiteral("q.ini.rescued"))), row.followed);
            QCOMPARE(
                whyNot([&] { keepBackup(home + "/made/backups", { "x" }, QDateTime::currentDateTime()); }).isEmpty(),
                row.followed);
            QCOMPARE(whyNot([&] { listBackups(home + "/made/backups"); }).isEmpty(), row.followed);
            QCOMPARE(QFileInfo::exists(store.desktop.dir.filePath(QStringLiteral("made"))), row.followed);
            QDir(store.desktop.dir.filePath(QStringLiteral("made"))).removeRecursively();
            QCOMPARE(whyNot([&] { SaveSettings(home + "/made/q.ini", "Q", { "k" }, value); }).isEmpty(), row.followed);
            QCOMPARE(QFileInfo::exists(store.desktop.dir.filePath(QStringLiteral("made"))), row.followed);
            QFile read(kept);
            QVERIFY(read.open(QIODevice::ReadOnly));
            QCOMPARE(read.readAll(), row.followed ? QByteArray("x\n") : QByteArray("kept\n"));
            QCOMPARE(
                why.contains(QStringLiteral("another user made in a folder everyone may write to")), !row.followed);
            QCOMPARE(linkTrouble(settingsLink).isEmpty(), row.followed);
            QCOMPARE(QFileInfo(link).isSymLink(), true);
        }
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

        // A page the hand-over or --open-all opened keeps its time whichever
        // list holds its search.
        Store store;
        {
            QSettings settings(store.desktop.settingsFile(), QSettings::IniFormat);
            settings.setValue("Quillmoor/Searches", "a|");
            settings.setValue("Quillmoor/Lists", "Saved Searches|Futon|");
            settings.setValue("Quillmoor/" + listKey(QStringLiteral("Futon")), "b|");
            settings.setValue("Quillmoor/SearchesOpened", "5 a|6 b|");
        }
        keepOpenedTimes(store.desktop.settingsFile(), { { QStringLiteral("b"), 60 } });
        QCOMPARE(QSettings(store.desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/SearchesOpened"),
            QStringLiteral("5 a|60 b|"));
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

    // The other lists are kept under keys of their own that QSettings reads,
    // and merge list by list: a list made in two copies under one name is
    // one list, and one deleted in a copy while the other added to it keeps
    // what was added, under its name.
    void listsMergeAcrossCopies()
    {
        Store store;
        store.setValue(QStringLiteral("a|"));
        const QString file = store.desktop.settingsFile();
        SearchSaver::Snapshot snaps[2] = { { { "a" }, {} }, { { "a" }, {} } };
        std::unique_ptr<SearchSaver> savers[2];
        for (int i : { 0, 1 }) {
            savers[i] = std::make_unique<SearchSaver>(
                file, [&snaps, i] { return snaps[i]; }, 20, 0);
            savers[i]->begin(QStringLiteral("a|"), QString());
            connect(savers[i].get(), &SearchSaver::listsTookIn,
                [&snaps, i](const SavedLists&, const SavedLists& stored) { snaps[i].lists = stored; });
        }
        const auto save = [&](int i) {
            QSignalSpy ended(savers[i].get(), &SearchSaver::finished);
            savers[i]->changed();
            return ended.wait();
        };
        const auto read = [&](const QString& key) {
            return QSettings(file, QSettings::IniFormat).value(QStringLiteral("Quillmoor/") + key).toString();
        };
        QVERIFY(save(0));
        QVERIFY(!QSettings(file, QSettings::IniFormat).contains("Quillmoor/Lists"));
        snaps[0].lists = { { "Saved Searches", "Futon" }, { { "Futon", { "f1" } } } };
        snaps[1].lists
            = { { "Saved Searches", "Futon", "Kayak|2" }, { { "Futon", { "f2" } }, { "Kayak|2", { "k" } } } };
        QVERIFY(save(0) && save(1) && save(0));
        QCOMPARE(read("Lists"), QStringLiteral("|Saved Searches|Futon|Kayak%7C2|"));
        QCOMPARE(read(listKey("Futon")), QStringLiteral("f2|f1|"));
        QCOMPARE(read(listKey("Kayak|2")), QStringLiteral("k|"));
        QCOMPARE(snaps[0].lists, snaps[1].lists);
        QCOMPARE(store.value(), QStringLiteral("a|"));

        snaps[0].lists.names.removeAll("Futon");
        snaps[0].lists.entries.remove("Futon");
        snaps[1].lists.entries["Futon"] << "f3";
        snaps[1].lists.names[0] = "Mine"; // the first list renamed
        QVERIFY(save(0) && save(1) && save(0));
        QCOMPARE(snaps[0].lists.names, (QStringList { "Mine", "Kayak|2", "Futon" }));
        QCOMPARE(snaps[0].lists.entries.value("Futon"), QStringList { "f3" });
        QCOMPARE(snaps[0].lists, snaps[1].lists);
        QCOMPARE(store.value(), QStringLiteral("a|"));

        // A hand-edited file: a name twice, a name without entries, entries
        // without a name; nothing is lost, and what was wrong is said once.
        QString trouble;
        const SavedLists lists = listsOf(QStringLiteral("First|B|B|C|"),
            { { listKey("B"), { "b|", {} } }, { "Searches-0123", { "x|y|", {} } }, { listKey("First"), { "z|", {} } } },
            &trouble);
        QCOMPARE(lists.names,
            (QStringList { "First", "B", "C", "Found under Searches-0123", "Found under " + listKey("First") }));
        QCOMPARE(lists.entries.value("B"), QStringList { "b" });
        QCOMPARE(lists.entries.value("Found under Searches-0123"), (QStringList { "x", "y" }));
        QCOMPARE(trouble.count(QStringLiteral("do not agree")), 1);
        QVERIFY(trouble.contains(QStringLiteral("named twice")));
    }

    // An import leaves out what the stored value holds, escaped or not, and
    // keeps a repeat of its own: stored, imported, how many went, after.
    void anImportLeavesOutWhatIsSaved()
    {
        const QList<std::tuple<QString, QStringList, qsizetype, QString>> rows {
            { "|a%7Cb|100%25|x|", { "a|b", "100%", "new", "a%7Cb", "new", "x" }, 3,
                "|a%7Cb|100%25|x|new|a%257Cb|new|" },
            { "p%|q|", { "p%", "q%", "q" }, 2, "p%|q|q%|" },
            { "p|", { "p", "r|s", "%" }, 1, "|p|r%7Cs|%25|" },
        };
        for (const auto& [stored, entries, gone, after] : rows) {
            StoredAddition adding;
            for (const QString& entry : entries)
                adding.add(entry);
            const StoredLookup saved(stored);
            QCOMPARE(adding.removeIf([&](QStringView entry) { return saved.contains(entry); }), gone);
            QCOMPARE(adding.appendedTo(stored), after);
        }
    }
};

QTEST_MAIN(SearchStoreTest)
#include "tst_searchstore.moc"
