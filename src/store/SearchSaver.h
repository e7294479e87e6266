#pragma once

#include "ListVersion.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <functional>
#include <utility>

namespace quillmoor {

// Saves the list as the user goes: about a second after the last change (a
// burst of edits makes one save), through the careful, locked, merging save,
// on a thread of its own, so the window keeps answering while a large list
// is written. The window's thread only takes a snapshot. The close makes the
// last save after any save in flight, and a list it cannot save is kept in
// a rescue file beside the settings file.
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
    };

    static constexpr int kQuietMs = 1000; // after the last change
    static constexpr int kLongestWaitMs = 5000; // edits without a pause still save

    SearchSaver(QString settingsFile, std::function<Snapshot()> snapshot, int quietMs = kQuietMs);
    // Waits for a save in flight.
    ~SearchSaver() override;

    // The list as start-up read it (`searches` null when there was none, or
    // the file could not be read): the first save merges from there. Changes
    // before are start-up's own and save nothing. Only kept here: the first
    // save reads it, on the saver's thread, so the window shows no later for
    // a long list.
    void begin(const QString& searches, const QString& version);
    // Files whose lists the window has taken in, removed once a save has
    // stored it.
    void removeAfterSave(const QStringList& files) { removeAfterSave_ += files; }
    // The list or where pages open changed: a save follows once the changes
    // pause.
    void changed();
    // The close's save of `snapshot`, on the calling thread after any save
    // in flight; no save follows it. Answers the notice of a file kept
    // aside. When the list cannot be saved it is kept in a rescue file, and
    // the Failure thrown names it.
    QString saveLast(const Snapshot& snapshot);

signals:
    // A save as the user goes failed: said once, until a save succeeds. The
    // next change or the close tries again.
    void failed(const QString& description);
    // A save had to keep the old file aside, as the notice says.
    void noticed(const QString& notice);
    // A save as the user goes has ended, well or not.
    void finished();

private:
    struct Outcome {
        bool saved = false;
        QString text; // the notice, or why it failed
    };
    void startSave();
    // On the saver's thread, or at the close once none is in flight.
    Outcome save(const Snapshot& snapshot);
    void ended(const Outcome& outcome);
    void removeRescued();
    // The version and base of the list begin() was given, taken once.
    void settle();

    const QString file_;
    const std::function<Snapshot()> snapshot_;
    const int quietMs_;
    QTimer quiet_;
    QElapsedTimer unsaved_; // since the first change not yet saved
    QThreadPool thread_;
    bool begun_ = false;
    bool closed_ = false;
    bool dirty_ = false;
    bool inFlight_ = false;
    bool failing_ = false;
    QStringList removeAfterSave_;
    // What this copy read or saved last; only a save touches them.
    ListVersion known_;
    QStringList base_;
    // As begin() was given them, until the first save settles them.
    QString readSearches_;
    QString readVersion_;
    bool settled_ = true;
};

} // namespace quillmoor
