#pragma once

#include "SavedLists.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

namespace quillmoor {

// A list that the close could not save (a lock held too long, a full disk)
// is kept beside the settings file, as "Marrowfen.ini.rescued", until a
// later start takes it back: the entries shown, with what a merge needs to
// take them back as that close would have saved them (the version that copy
// saved last, and how its list differed from the list it saved then). The
// list is held once: where the disk is nearly full, a second copy of it
// could be what does not fit.
struct RescuedList {
    QString file; // where it was kept
    QStringList entries;
    QStringList base;
    QString version;
    QList<std::pair<QString, QString>> keys; // further keys the close saves (where pages open)
    QString id; // set when kept: the settings file names the lists it took in
    // The other lists, when there are any: taken back by adding what the
    // file lacks of them, as nothing says what became of them since.
    SavedLists lists = {};
};

// Keeps `list` beside `settingsFile` and answers the name. Throws Failure
// with the reason when it cannot be written either.
QString keepRescued(const QString& settingsFile, const RescuedList& list);

// The lists kept beside `settingsFile`, oldest name first, with `keys` as
// far as they hold them. One that cannot be read, or that holds no list, is
// left where it is, and `trouble` says why.
QList<RescuedList> findRescued(const QString& settingsFile, const QStringList& keys, QString* trouble);

// What start-up took back of the lists that closes kept aside.
struct TakenBack {
    QStringList files; // the rescue files, now removed
    qsizetype searches = 0; // entries the settings file did not hold before
    QList<std::pair<QString, QString>> keys; // the last close's choices
    QString trouble; // a rescue file that could not be read, said once
};

// Takes every kept list back into the settings file as one save under its
// lock: merged as the close that kept it would have saved it, written as a
// new version, its file removed, then unlocked. A list the settings file
// already names as taken in (a start that died before removing it) is only
// removed. So however many copies start at once, or whenever one dies, no
// entry comes back twice. Throws Failure when the settings file cannot be
// written; the rescue files then stay for the next start.
TakenBack takeBackRescued(const QString& settingsFile, const QStringList& keys);

} // namespace quillmoor
