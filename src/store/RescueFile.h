#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

namespace quillmoor {

// A list that the close could not save (a lock held too long, a full disk)
// is kept beside the settings file, as "Marrowfen.ini.rescued", until a
// later start takes it back: the entries shown, with what the next save
// needs to merge them as that close would have (the version and the list
// that copy saved last).
struct RescuedList {
    QString file; // where it was kept
    QStringList entries;
    QStringList base;
    QString version;
    QList<std::pair<QString, QString>> keys; // further keys the close saves (where pages open)
};

// Keeps `list` beside `settingsFile` and answers the name. Throws Failure
// with the reason when it cannot be written either.
QString keepRescued(const QString& settingsFile, const RescuedList& list);

// The lists kept beside `settingsFile`, oldest name first, with `keys` as
// far as they hold them. One that cannot be read is left where it is, and
// `trouble` says why.
QList<RescuedList> findRescued(const QString& settingsFile, const QStringList& keys, QString* trouble);

// The list once `rescued` is taken back into a file that holds `searches`
// (null when none) at `version`: merged as the close that kept it would
// have saved it then.
QStringList withRescued(const QString& version, const QString& searches, const RescuedList& rescued);

} // namespace quillmoor
