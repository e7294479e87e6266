#pragma once

#include "Backups.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <atomic>
#include <functional>
#include <thread>

namespace quillmoor {

// The backups the Restore dialog offers, newest first: listed at once by
// their names, each told with how many searches it holds once counted on a
// thread of its own. A backup may be megabytes: several counted on the
// window's thread would hold it up for seconds.
class BackupChoices {
public:
    using Told = std::function<void(int index, const QString& text)>;

    // Throws Failure where the folder cannot be listed.
    explicit BackupChoices(const QString& folder);
    // Stops counting and waits for the count under way.
    ~BackupChoices();
    BackupChoices(const BackupChoices&) = delete;
    BackupChoices& operator=(const BackupChoices&) = delete;

    const QList<Backup>& backups() const { return backups_; }
    // Each backup's time, and its count where counted yet.
    const QStringList& choices() const { return choices_; }
    // Hears, on the window's thread, each choice's text once counted.
    void tellTo(Told told) { told_ = std::move(told); }

private:
    static QString describe(const Backup& backup);
    void counted(int index, qsizetype searches);

    QList<Backup> backups_;
    QStringList choices_;
    Told told_;
    // What the counts are posted to; gone, it drops those not yet taken.
    QObject receiver_;
    std::atomic<bool> stop_ { false };
    std::thread counter_;
};

} // namespace quillmoor
