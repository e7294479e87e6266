#include "SearchSaver.h"

#include "Backups.h"
#include "CarefulFile.h"
#include "ConflictCopies.h"
#include "Failure.h"
#include "RescueFile.h"
#include "SavedList.h"
#include "SearchStore.h"
#include "SettingsKeys.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <new>
#include <utility>

namespace quillmoor {

SearchSaver::SearchSaver(QString settingsFile, std::function<Snapshot()> snapshot, int quietMs, int lookMs, qint64 sayAgainMs)
    : file_(std::move(settingsFile))
    , snapshot_(std::move(snapshot))
    , quietMs_(quietMs)
    , lookMs_(lookMs)
    , sayAgainMs_(sayAgainMs)
    , thread_(std::make_unique<QThreadPool>())
{
    quiet_.setSingleShot(true);
    connect(&quiet_, &QTimer::timeout, this, [this] { startSave(); });
    connect(&look_, &QTimer::timeout, this, &SearchSaver::look);
    // One save at a time, in order.
    thread_->setMaxThreadCount(1);
}

SearchSaver::~SearchSaver()
{
    state_ = State::Closed;
    // A save the close gave up on may never end; the program ends without
    // it (see abandoned()).
    if (abandoned_) {
        // Kept where it can still be found, as the thread may yet use it.
        static QList<QThreadPool*> leftRunning;
        leftRunning << thread_.release();
    } else {
        thread_->waitForDone();
    }
}

void SearchSaver::begin(const QString& searches, const QString& version, KnownLists lists)
{
    knownLists_ = std::move(lists);
    // Only kept: the first save reads it, on the saver's thread, so the
    // window shows no later for a long list.
    readSearches_ = searches;
    readVersion_ = version;
    seen_ = fileNow();
    state_ = State::Idle;
    if (lookMs_ > 0) {
        fileLook_ = std::make_unique<FileLook>(file_, lookMs_);
        look_.start(lookMs_);
    }
}

void SearchSaver::settle()
{
    if (settled_)
        return;
    known_ = KnownSaves(ListVersion::of(readVersion_, readSearches_), storedEntries(readSearches_));
    settled_ = true;
    readSearches_ = QString();
    readVersion_ = QString();
}

os::PathKind SearchSaver::fileNow() const
{
    try {
        return os::pathKind(resolveLinks(file_));
    } catch (const FileTrouble&) {
        return {};
    }
}

void SearchSaver::wait(int ms)
{
    state_ = State::Waiting;
    quiet_.start(ms);
}

void SearchSaver::changed()
{
    if (state_ == State::NotBegun || state_ == State::Closed)
        return;
    dirty_ = true;
    if (!unsaved_.isValid())
        unsaved_.start();
    if (state_ == State::Saving)
        return; // the save in flight starts the next when it ends
    // A burst of edits waits for its pause, but not for ever; a save that
    // failed is tried again with the change.
    if (!quiet_.isActive() || unsaved_.elapsed() < kLongestWaitMs)
        wait(quietMs_);
}

void SearchSaver::look()
{
    // Only a file that changed since this copy last read or wrote it is
    // worth reading, or a conflict copy not yet taken in; whatever waits or
    // is in flight reads them anyway.
    if (state_ != State::Idle || !fileLook_)
        return;
    const std::optional<FileLook::Seen> seen = fileLook_->latest();
    if (!seen)
        return;
    const bool newCopy = !backups_.isEmpty()
        && std::any_of(seen->copies.cbegin(), seen->copies.cend(),
            [this](const QString& copy) { return !copiesDone_.contains(copy); });
    if (newCopy || !seen->file.sameAs(seen_))
        startSave(true);
}

void SearchSaver::startSave(bool onlyLook)
{
    if (state_ == State::Saving || state_ == State::Closed)
        return;
    // A look writes nothing of this copy's but a list that differs from the
    // file's by changes of its own, and no key: another copy's choice of
    // where pages open stays.
    Snapshot snapshot = snapshot_();
    if (onlyLook && !dirty_)
        snapshot.keys.clear();
    dirty_ = false;
    unsaved_.invalidate();
    state_ = State::Saving;
    thread_->start([this, snapshot = std::move(snapshot), done = copiesDone_] {
        const Outcome outcome = save(snapshot, kLockWaitMs, done);
        QMetaObject::invokeMethod(
            this, [this, outcome] { ended(outcome); }, Qt::QueuedConnection);
    });
}

void SearchSaver::ended(const Outcome& outcome)
{
    if (state_ == State::Closed)
        return;
    state_ = State::Idle;
    // The window takes in what the file holds, and the saver is set for
    // what comes next, before anything is said: a box runs the event loop,
    // and a save from in there must start from the list as it now is, or
    // it would take what came in for the window's deletions.
    if (outcome.saved) {
        for (const QString& copy : outcome.copiesDone)
            copiesDone_.insert(copy);
        seen_ = outcome.seen;
        failure_.clear();
        failing_.invalidate();
        retryMs_ = kFirstRetryMs;
        if (outcome.stored != outcome.from)
            emit tookIn(outcome.from, outcome.stored);
        if (outcome.storedLists != outcome.fromLists)
            emit listsTookIn(outcome.fromLists, outcome.storedLists);
        if (dirty_)
            wait(quietMs_);
    } else {
        // The edits it held are still to be saved, and so is anything since.
        dirty_ = true;
        wait(std::exchange(retryMs_, std::min(retryMs_ * 2, kLongestRetryMs)));
    }
    emit finished();
    if (!outcome.saved) {
        failedAgain(outcome.text);
        return;
    }
    if (outcome.cameBack > 0)
        emit cameBack(outcome.cameBack == 1
                ? SearchStoreText::tr("1 search from another computer's copy came back")
                : SearchStoreText::tr("%1 searches from another computer's copy came back").arg(outcome.cameBack));
    if (!outcome.text.isEmpty())
        emit noticed(outcome.text);
}

void SearchSaver::failedAgain(const QString& why)
{
    if (!failing_.isValid())
        failing_.start();
    // Said once; again when the reason changes, or after a long while.
    if (why == failure_ && saidAt_.isValid() && saidAt_.elapsed() < sayAgainMs_)
        return;
    failure_ = why;
    saidAt_.start();
    emit failed(why);
}

void SearchSaver::backUp(const QStringList& entries)
{
    if (backups_.isEmpty() || entries.isEmpty())
        return;
    thread_->start([this, entries, folder = backups_] {
        try {
            keepBackup(folder, entries, QDateTime::currentDateTime());
        } catch (const Failure& failure) {
            QMetaObject::invokeMethod(
                this, [this, text = failure.description()] { emit noticed(text); }, Qt::QueuedConnection);
        }
    });
}

QList<SearchSaver::CopyRead> SearchSaver::readCopies(const QSet<QString>& done, Outcome& outcome) const
{
    QList<CopyRead> copies;
    if (backups_.isEmpty())
        return copies; // nowhere to put them away once taken in
    for (const QString& file : conflictCopiesOf(file_)) {
        if (done.contains(file))
            continue;
        try {
            const StoredTexts stored
                = ReadSettingsOnly(file, settings::kSection, { settings::kSearches, settings::kSearchesVersion });
            copies.append(
                { file, stored.values.value(settings::kSearches), stored.values.value(settings::kSearchesVersion) });
        } catch (const Failure& failure) {
            // Left where it is, for the user to look at; said once.
            outcome.copiesDone << file;
            outcome.said << SearchStoreText::tr(
                "A copy that a sync tool left beside the settings file could not be taken in: %1")
                                .arg(failure.description());
        }
    }
    return copies;
}

qsizetype SearchSaver::withCopies(QStringList& entries, const QList<CopyRead>& copies) const
{
    const QStringList was = entries;
    for (const CopyRead& copy : copies) {
        if (copy.searches.isNull())
            continue;
        const ListVersion version = ListVersion::of(copy.version, copy.searches);
        const QStringList theirs = storedEntries(copy.searches);
        // A copy of a save this copy knows the parent of is merged three-way
        // from there: its deletions apply too. One of unknown descent only
        // adds what the list lacks, so nothing is taken twice.
        const KnownSaves::Save* from = known_.ancestorOf(version);
        entries = from && !from->version.isNone() ? mergeSearches(from->entries, entries, theirs)
                                                  : addSearches(entries, theirs);
    }
    return addedCount(was, entries);
}

void SearchSaver::putAway(const QList<CopyRead>& copies, Outcome& outcome) const
{
    for (const CopyRead& copy : copies) {
        outcome.copiesDone << copy.file;
        try {
            putAwayConflictCopy(backups_, copy.file);
        } catch (const Failure& failure) {
            outcome.said << failure.description();
        }
    }
}

void SearchSaver::keepDayBackup(const QString& stored, QString& trouble) const
{
    if (backups_.isEmpty() || stored.isEmpty() || hasBackupOf(backups_, QDate::currentDate()))
        return;
    try {
        keepBackup(backups_, storedEntries(stored), QDateTime::currentDateTime());
    } catch (const Failure& failure) {
        trouble = failure.description();
    }
}

namespace {
    // The keys a save of `snapshot` writes, but for the lists'.
    QStringList keysToSave(const SearchSaver::Snapshot& snapshot)
    {
        QStringList keys = { settings::kSearches, settings::kSearchesVersion };
        for (const auto& key : snapshot.keys)
            keys << key.first;
        for (const auto& key : snapshot.merged)
            keys << key.first;
        return keys;
    }

    // Lists as a save begins with them: the first list named.
    SavedLists named(SavedLists lists)
    {
        if (lists.names.isEmpty())
            lists.names = QStringList { firstListName() };
        return lists;
    }
} // namespace

SearchSaver::Outcome SearchSaver::save(const Snapshot& snapshot, int lockWaitMs, const QSet<QString>& copiesDone)
{
    QStringList keys = keysToSave(snapshot);
    // The lists' keys come last: the file may hold more of them than named.
    const qsizetype listsAt = keys.size();
    keys << listKeysToSave(snapshot.lists, knownLists_);
    QStringList spelt;
    Outcome outcome { false, QString(), snapshot.entries, {}, {}, {}, 0, {}, named(snapshot.lists), {} };
    ListsToStore lists;
    try {
        settle();
        ListVersion written;
        QString backupTrouble;
        const QList<CopyRead> copies = readCopies(copiesDone, outcome);
        outcome.text = SaveSettings(file_, settings::kSection, keys,
            [&](const QStringList& stored) {
                keepDayBackup(stored[0], backupTrouble);
                ListToStore store = listToStore(known_, snapshot.entries, stored[1], stored[0]);
                outcome.cameBack = withCopies(store.entries, copies);
                outcome.stored = store.entries;
                QString value = storedValue(store.entries);
                if (value.isNull())
                    value = QStringLiteral(""); // an empty list is the empty text
                // A list that stays as it is keeps its version, and the file
                // its bytes.
                const bool same = !stored[0].isNull() && value == stored[0];
                written = same ? ListVersion::of(stored[1], stored[0]) : store.version;
                QStringList texts = { value, same ? stored[1] : written.text() };
                for (const auto& key : snapshot.keys)
                    texts << key.second;
                // Opened times stay for a search whichever list holds it.
                const QStringList every = snapshot.lists.withEntriesOf(store.entries);
                for (const auto& key : snapshot.merged)
                    texts << key.second(stored[texts.size()], every);
                lists = composeLists(knownLists_, snapshot.lists, spelt, stored, listsAt, texts);
                return texts;
            },
            // The file as this save left it: a change after is someone else's.
            { lockWaitMs,
                [&] {
                    // Put away once the file holds what they added.
                    putAway(copies, outcome);
                    outcome.seen = fileNow();
                },
                [&](const QStringList& names) { spelt = names; } });
        if (!backupTrouble.isEmpty())
            outcome.said << backupTrouble;
        if (!outcome.text.isEmpty())
            outcome.said.prepend(outcome.text);
        outcome.text = outcome.said.join(u' ');
        // A list of its own: sharing the window's would make its next edit
        // copy the whole list on the window's thread.
        known_.add(written, QStringList(outcome.stored.cbegin(), outcome.stored.cend()));
        knownLists_ = std::move(lists.known);
        outcome.storedLists = std::move(lists.stored);
        outcome.saved = true;
    } catch (const Failure& failure) {
        outcome.text = failure.description();
    } catch (const std::bad_alloc&) {
        outcome.text = SearchStoreText::tr("Out of memory.");
    } catch (const std::exception& failure) {
        outcome.text = QString::fromLocal8Bit(failure.what());
    }
    return outcome;
}

QString SearchSaver::saveLast(const Snapshot& snapshot)
{
    // The close waits for the file's lock once at most, whether a save in
    // flight is waiting for it or this one, and for the save a moment more:
    // a file far too large to read or a mount that stopped answering never
    // keeps the program from ending.
    const QDeadlineTimer deadline(kLockWaitMs);
    state_ = State::Closed;
    quiet_.stop();
    look_.stop();
    auto last = std::make_shared<Outcome>();
    thread_->start([this, snapshot, last, deadline] { *last = save(snapshot, int(deadline.remainingTime())); });
    if (!thread_->waitForDone(int(deadline.remainingTime()) + kCloseGraceMs)) {
        // What that save holds of this copy's past saves is its own now.
        abandoned_ = true;
        last = std::make_shared<Outcome>();
        last->text = SearchStoreText::tr("The saved searches could not be written to \"%1\" in time.").arg(file_);
    }
    const Outcome& outcome = *last;
    if (outcome.saved)
        return outcome.text;
    // Nothing the user sees may go without a copy.
    QString kept;
    try {
        RescuedList rescued { QString(), snapshot.entries, {}, QString(), snapshot.keys, {}, snapshot.lists };
        if (!abandoned_) {
            settle();
            const ListVersion& known = known_.last().version;
            rescued.base = known_.last().entries;
            rescued.version = known.isNone() ? QString() : known.text();
        }
        kept = keepRescued(file_, rescued);
    } catch (const Failure& failure) {
        throw Failure(outcome.text + u' ' + failure.description());
    }
    throw Failure(outcome.text + u' '
        + SearchStoreText::tr("The list is kept in \"%1\", and the next start takes it back.").arg(kept));
}

} // namespace quillmoor
