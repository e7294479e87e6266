#pragma once

#include "FileCalls.h"
#include "FileLook.h"
#include "ListVersion.h"
#include "SavedLists.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>

namespace quillmoor {

// Keeps the list and the settings file together while the window runs.
//
// Saves the list as the user goes: about a second after the last change (a
// burst of edits makes one save), through the careful, locked, merging save,
// on a thread of its own, so the window keeps answering while a large list
// is written. The window's thread only takes a snapshot. A save that fails
// is tried again on its own, after waits that grow to a minute.
//
// Takes in what others save: another copy of the program, an import, a sync
// tool. Each save merges their changes into the file, and the file is looked
// at every second (off the window's thread) for a change of theirs alone;
// either way tookIn() hands the window what the file holds, to be merged
// into the list shown. A sync tool's conflict copies beside the file are
// merged into it the same way, once, and then put away with the backups.
//
// The close makes the last save after any save in flight, waiting for the
// file's lock once at most, and a list it cannot save is kept in a rescue
// file beside the settings file.
class SearchSaver : public QObject {
    Q_OBJECT
public:
    // What a save writes: the entries and further keys of the section (where
    // pages open), taken on the window's thread.
    struct Snapshot {
        QStringList entries;
        QList<std::pair<QString, QString>> keys;
        // Keys whose texts are worked out at the save, from what the file
        // holds under them then and the entries the save stores.
        using Merge = std::function<QString(const QString& stored, const QStringList& entries)>;
        QList<std::pair<QString, Merge>> merged = {};
        // The lists' names and the entries of each but the first, whose
        // entries are `entries`; none while the first is the only one.
        SavedLists lists = {};
    };

    static constexpr int kQuietMs = 1000; // after the last change
    static constexpr int kLongestWaitMs = 5000; // edits without a pause still save
    static constexpr int kFirstRetryMs = 1000; // doubled at each failure...
    static constexpr int kLongestRetryMs = 60000; // ...up to this
    static constexpr qint64 kSayAgainMs = 15 * 60 * 1000; // a failure that lasts is said again
    static constexpr int kLookMs = 1000; // how often the file is looked at

    // `lookMs` 0: the file is not looked at between saves.
    SearchSaver(QString settingsFile, std::function<Snapshot()> snapshot, int quietMs = kQuietMs, int lookMs = kLookMs,
        qint64 sayAgainMs = kSayAgainMs);
    // Waits for a save in flight.
    ~SearchSaver() override;

    // The list as start-up read it (`searches` null when there was none, or
    // the file could not be read): the first save merges from there. Changes
    // before are start-up's own and save nothing. Looking at the file for
    // others' changes starts here.
    // `lists` is what start-up read of the other lists.
    void begin(const QString& searches, const QString& version, KnownLists lists = {});
    // Where the day's first save keeps a backup of the list it replaces;
    // none are kept without one.
    void keepBackupsIn(const QString& folder) { backups_ = folder; }
    // The list or where pages open changed: a save follows once the changes
    // pause.
    void changed();
    // Keeps `entries` as a backup now, before a change of the whole list,
    // on the saver's thread; a failure is said as a save's.
    void backUp(const QStringList& entries);
    // The close's save of `snapshot`, on the calling thread after any save
    // in flight; no save follows it. Answers the notice of a file kept
    // aside. When the list cannot be saved it is kept in a rescue file, and
    // the Failure thrown names it.
    QString saveLast(const Snapshot& snapshot);
    static constexpr int kCloseGraceMs = 1000; // beyond the lock's wait
    // Whether the close gave up on a save that did not end in time: it may
    // still be running, so the program must end without tearing down what
    // it uses (std::_Exit), the list being in the rescue file.
    bool abandoned() const { return abandoned_; }

signals:
    // A save as the user goes failed: said once, and again only when the
    // reason changes or it has failed for a long while. It is tried again.
    void failed(const QString& description);
    // A save went through with something to say, as the notice says.
    void noticed(const QString& notice);
    // Good news, to be said as information: searches came back from a sync
    // tool's conflict copy.
    void cameBack(const QString& text);
    // The file holds `stored` where this copy's list was `from` when the save
    // (or the look) began: what others changed, for the window to take in.
    void tookIn(const QStringList& from, const QStringList& stored);
    // The same for the lists: their names, and the entries of all but the
    // first.
    void listsTookIn(const SavedLists& from, const SavedLists& stored);
    // A save as the user goes has ended, well or not.
    void finished();

private:
    // Where the saver is: nothing to do, a save waiting for the changes to
    // pause (or for its next try), one in flight, or closed for good.
    enum class State { NotBegun, Idle, Waiting, Saving, Closed };

    struct Outcome {
        bool saved = false;
        QString text; // the notice, or why it failed
        QStringList from; // the entries the save began with
        QStringList stored; // what the file holds after it
        os::PathKind seen; // the file as it left it
        QStringList copiesDone; // conflict copies taken in, or said to be unreadable
        qsizetype cameBack = 0; // searches the copies added
        QStringList said; // what else there is to say of a save that went through
        SavedLists fromLists; // the lists the save began with
        SavedLists storedLists; // and what the file holds of them after it
    };
    struct CopyRead {
        QString file;
        QString searches;
        QString version;
    };
    // The conflict copies beside the file that are yet to be taken in; what
    // cannot be read is added to the outcome's text, once.
    QList<CopyRead> readCopies(const QSet<QString>& done, Outcome& outcome) const;
    // `entries` with the copies merged in, each from the newest save this
    // copy knows that it descends from; answers how many searches came.
    qsizetype withCopies(QStringList& entries, const QList<CopyRead>& copies) const;
    void putAway(const QList<CopyRead>& copies, Outcome& outcome) const;
    // The day's first save keeps a backup of the list `stored` it
    // replaces; `trouble` says why it could not.
    void keepDayBackup(const QString& stored, QString& trouble) const;
    void wait(int ms);
    void startSave(bool onlyLook = false);
    // On the saver's thread, or at the close once none is in flight.
    Outcome save(const Snapshot& snapshot, int lockWaitMs, const QSet<QString>& copiesDone = {});
    void ended(const Outcome& outcome);
    void failedAgain(const QString& why);
    void look();
    os::PathKind fileNow() const;
    // The version and base of the list begin() was given, taken once.
    void settle();

    const QString file_;
    const std::function<Snapshot()> snapshot_;
    const int quietMs_;
    const int lookMs_;
    const qint64 sayAgainMs_;
    State state_ = State::NotBegun;
    bool dirty_ = false; // changes the save in flight does not hold
    QTimer quiet_;
    QTimer look_;
    QElapsedTimer unsaved_; // since the first change not yet saved
    // The failure said last, since when saves fail, and the next wait.
    QString failure_;
    QElapsedTimer failing_;
    QElapsedTimer saidAt_;
    int retryMs_ = kFirstRetryMs;
    std::unique_ptr<QThreadPool> thread_;
    bool abandoned_ = false;
    QString backups_;
    // What this copy read or saved lately, and the file as it was then;
    // only the saver's thread touches them while a save is in flight.
    KnownSaves known_;
    KnownLists knownLists_;
    // As begin() was given them, until the first save settles them.
    QString readSearches_;
    QString readVersion_;
    bool settled_ = false;
    os::PathKind seen_;
    std::unique_ptr<FileLook> fileLook_;
    QSet<QString> copiesDone_;
};

} // namespace quillmoor
