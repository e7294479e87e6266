#include "SearchesCommand.h"

#include "Backups.h"
#include "DesktopBus.h"
#include "Duplicates.h"
#include "Failure.h"
#include "SearchesInFiles.h"
#include "LauncherQueue.h"
#include "ListEdits.h"
#include "ListVersion.h"
#include "OpenChoices.h"
#include "OpenPace.h"
#include "OpenedRecord.h"
#include "OpeningNotice.h"
#include "OwnList.h"
#include "PagesOpening.h"
#include "Platform.h"
#include "Process.h"
#include "SavedList.h"
#include "SavedLists.h"
#include "SearchStore.h"
#include "SearchesFile.h"
#include "SettingsKeys.h"
#include "StoredLookup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace quillmoor {

namespace {

    class SearchesCommand {
        Q_DECLARE_TR_FUNCTIONS(SearchesCommand)
    };

    void say(std::FILE* to, const QString& line)
    {
        std::fputs(qUtf8Printable(QStringLiteral("quillmoor: ") + line + u'\n'), to);
        std::fflush(to);
    }

    template <class Work> int carefully(Work&& work)
    {
        try {
            work();
            return 0;
        } catch (const Failure& failure) {
            say(stderr, failure.description());
        } catch (const std::exception& failure) {
            say(stderr, QString::fromLocal8Bit(failure.what()));
        }
        return 1;
    }

    void writeOut(const QByteArray& bytes)
    {
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
            || std::fflush(stdout) != 0)
            throw Failure(SearchesCommand::tr("The searches could not be written to standard output."));
    }

} // namespace

int exportSearches(const QString& settingsFile, const QString& path, const ChosenList& list)
{
    return carefully([&] {
        // Only read: a failure leaves every file as it was.
        const StoredText stored = ReadSettingOnly(settingsFile, settings::kSection, list.entriesKey);
        if (!stored.notice.isEmpty())
            say(stderr, stored.notice);
        const QStringList entries = storedEntries(stored.value);
        if (path == u"-") {
            writeOut(searchesFileBytes(entries));
            return;
        }
        // Bookmarks open where the window's pages open, and are titled with
        // the names of the city list the window shows.
        const WhereToOpen where
            = storedWhereToOpen(ReadSettingsOnly(settingsFile, settings::kSection, OpenChoices::keys()));
        const QString cityList = chosenListPath(userDataFolder(), os::runningExecutableFolder());
        const QString name = list.name.isEmpty() ? firstListName() : list.name;
        writeSearchesFileBytes(path, exportedBytes(path, { { name, entries } }, where, cityList), settingsFile);
    });
}

int importSearches(const QString& settingsFile, const QString& path, const ChosenList& list)
{
    return carefully([&] {
        // Read and checked whole before the store is touched, gathered as
        // the value it adds to: never a list of every entry.
        StoredAddition adding;
        adding.reserve(qMin(QFileInfo(path).size(), kLargestSearchesFile) + 64);
        // A results page's address is read back by the engine chosen too.
        const StoredText engine = ReadSettingOnly(settingsFile, settings::kSection, settings::kEngine);
        const ImportCount read = forEachImportedSearch(
            path, enginesToRead(SearchEngine::fromKey(engine.value).value_or(SearchEngine())),
            [&](const QString&, QString&& entry) { adding.add(entry); }, [&] { adding.clear(); });
        if (adding.count() == 0) {
            say(stdout,
                read.leftOut == 0 ? SearchesCommand::tr("%1 holds no searches; nothing was added.").arg(path)
                                  : SearchesCommand::tr("%1 holds no searches; nothing was added (%2).")
                                        .arg(path, leftOutText(read.leftOut, read.bookmarks)));
            return;
        }
        // What is saved already is left out, judged under the file's lock:
        // another copy may have saved some since. A new version of the
        // list, so a window open on it merges the additions rather than
        // taking the file for another one.
        qsizetype added = 0;
        qsizetype already = 0;
        const QString notice = SaveSettings(settingsFile, settings::kSection,
            { list.entriesKey, list.versionKey, settings::kLists }, [&](QStringList stored) {
                {
                    const StoredLookup saved(stored[0]);
                    already = adding.removeIf([&](QStringView entry) { return saved.contains(entry); });
                }
                added = adding.count();
                if (added == 0)
                    return stored;
                const ListVersion now = ListVersion::of(stored[1], stored[0]);
                // A list named for the first time is made.
                const QString names = list.isNew ? namesWith(stored[2], list) : stored[2];
                // The stored text is handed over, not copied: the new
                // value grows from it.
                return QStringList { adding.appendedTo(std::move(stored[0])), ListVersion::after(now).text(), names };
            });
        if (!notice.isEmpty())
            say(stderr, notice);
        if (already > 0 || read.leftOut > 0)
            say(stdout,
                additionText(added, already, read.leftOut, read.bookmarks).chopped(1)
                    + SearchesCommand::tr(", from %1.").arg(path));
        else
            say(stdout,
                added == 1 ? SearchesCommand::tr("1 search added from %1.").arg(path)
                           : SearchesCommand::tr("%1 searches added from %2.").arg(added).arg(path));
    });
}

namespace {
    // Local time with its offset from UTC, which tells the two hours apart
    // when the clocks go back.
    QDateTime withOffset(const QDateTime& local) { return local.toOffsetFromUtc(local.offsetFromUtc()); }
} // namespace

int listSearchBackups(const QString& folder)
{
    return carefully([&] {
        const QList<Backup> backups = listBackups(folder);
        if (backups.isEmpty()) {
            say(stdout, SearchesCommand::tr("No backup is kept in %1 yet.").arg(folder));
            return;
        }
        QByteArray lines;
        for (const Backup& backup : backups)
            lines += QStringLiteral("%1\t%2\t%3\n")
                         .arg(withOffset(backup.made).toString(Qt::ISODate))
                         .arg(backup.searches)
                         .arg(backup.file)
                         .toUtf8();
        writeOut(lines);
    });
}

int restoreSearches(const QString& settingsFile, const QString& path, const QString& backups, const ChosenList& list)
{
    return carefully([&] {
        // Read and checked whole before the store is touched.
        const QStringList entries = readSearchEntries(path);
        QString kept;
        QString notice;
        try {
            notice = SaveSettings(
                settingsFile, settings::kSection, { list.entriesKey, list.versionKey }, [&](const QStringList& stored) {
                    // The list it replaces can be gone back to in turn.
                    kept = keepBackup(backups, storedEntries(stored[0]), QDateTime::currentDateTime());
                    const ListVersion now = ListVersion::of(stored[1], stored[0]);
                    const QString value = storedValue(entries);
                    return QStringList { value.isNull() ? QStringLiteral("") : value, ListVersion::after(now).text() };
                });
        } catch (const Failure&) {
            // The list it would have replaced is still the saved one: its
            // backup is no step back, only one more file that takes a
            // place among the few kept.
            if (!kept.isEmpty())
                QFile::remove(kept);
            throw;
        }
        if (!notice.isEmpty())
            say(stderr, notice);
        QString said = entries.size() == 1
            ? SearchesCommand::tr("The saved searches are now the 1 search of %1.").arg(path)
            : SearchesCommand::tr("The saved searches are now the %1 searches of %2.").arg(entries.size()).arg(path);
        if (!kept.isEmpty())
            said += u' ' + SearchesCommand::tr("The list before is kept in %1.").arg(kept);
        say(stdout, said);
    });
}

namespace {
    // The searches handed to the browser and when, added to what the file
    // keeps of them.
    int keepOpened(const QString& settingsFile, const OpenedRecord& opened)
    {
        if (opened.isEmpty())
            return 0;
        return carefully([&] {
            const QString notice = keepOpenedTimes(settingsFile, opened);
            if (!notice.isEmpty())
                say(stderr, notice);
        });
    }
} // namespace

int openAllSearches(int argc, char* argv[], const QString& settingsFile, const ChosenList& list)
{
    QCoreApplication application(argc, argv);
    StoredTexts stored;
    if (const int status = carefully([&] {
            stored = GetSettings(settingsFile, settings::kSection,
                QStringList { list.entriesKey, settings::kOpenPace } + OpenChoices::keys());
        }))
        return status;
    // What could be read of a damaged file still opens; the status says
    // that not all was.
    int status = 0;
    if (!stored.notice.isEmpty()) {
        say(stderr, stored.notice);
        status = 1;
    }
    const WhereToOpen where = storedWhereToOpen(stored);
    LauncherQueue queue([&status](const QString&, int, const QString& description) {
        say(stderr, description);
        status = 1;
    });
    // Run from the desktop's menu, it has no window: the desktop's
    // notification and other copies' --stop-opening stop it.
    Platform desktop;
    Platform::addDesktopServices(desktop);
    OpeningNotice notice(desktop);
    notice.stop = [&] {
        const int kept = queue.waitingCount();
        say(stderr, SearchesCommand::tr("Opening stopped: %1 pages not opened.").arg(kept));
        queue.stop();
        return kept;
    };
    QObject::connect(&queue, &LauncherQueue::progress, &notice, &OpeningNotice::progress);
    queue.setPaceMs(stored.allIni ? openPaceFromText(stored.values.value(settings::kOpenPace)).value_or(0) : 0);
    const QList<PagesOpening::Page> pages
        = PagesOpening::pagesOf(where, storedEntries(stored.values.value(list.entriesKey)));
    // Run from the desktop's menu, an empty list would otherwise do nothing
    // without a word.
    if (pages.isEmpty() && status == 0)
        say(stderr, QStringLiteral("No searches are saved, so none was opened."));
    qsizetype next = 0;
    OpenedRecord opened;
    QObject::connect(&queue, &LauncherQueue::handed, &application, [&] {
        if (next >= pages.size())
            return;
        for (const QString& entry : pages.at(next++).entries)
            opened.insert(entry, QDateTime::currentSecsSinceEpoch());
    });
    for (const PagesOpening::Page& page : pages)
        queue.open(where.url(page.query), QStringLiteral("openAll"), 0);
    if (queue.busy()) {
        QObject::connect(&queue, &LauncherQueue::busyChanged, &application, [](bool busy) {
            if (!busy)
                QCoreApplication::quit();
        });
        application.exec();
    }
    return keepOpened(settingsFile, opened) | status;
}

int stopOpeningElsewhere(int argc, char* argv[])
{
    // The bus wants an application object.
    QCoreApplication application(argc, argv);
    const os::StoppedElsewhere stopped = os::stopOpeningElsewhere();
    if (!stopped.error.isEmpty()) {
        say(stderr, SearchesCommand::tr("no session bus to reach a running Quillmoor (%1)").arg(stopped.error));
        return 1;
    }
    if (stopped.copies == 0)
        say(stdout, SearchesCommand::tr("No pages are being opened."));
    else
        say(stdout, SearchesCommand::tr("Opening stopped: %1 pages not opened.").arg(stopped.pages));
    return 0;
}

} // namespace quillmoor
