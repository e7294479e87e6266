#pragma once

#include "ItemBatch.h"

#include <QDateTime>
#include <QString>
#include <future>
#include <optional>

namespace quillmoor {

// list.txt read whole on a thread of its own while the window is still being
// built, so that a large list costs the start little more than the window
// does. The load takes the rows as if it had read them then, unless the file
// is no longer the one that was read: then it reads the file itself.
class CityListAhead {
public:
    // Starts reading `path`.
    explicit CityListAhead(const QString& path);
    // Waits for the read, which only touches its own data.
    ~CityListAhead();
    CityListAhead(const CityListAhead&) = delete;
    CityListAhead& operator=(const CityListAhead&) = delete;

    struct Read {
        ItemBatch items;
        // What stopped the read early, as LocationFile::read() answers it.
        std::optional<QString> fault;
    };
    // The rows of `path` as read ahead, or nothing when `path` is another
    // file or the file changed since; then or after, the caller reads it.
    // Throws the Failure that opening the file threw. Takes the read once.
    std::optional<Read> take(const QString& path);

private:
    struct Stamp {
        qint64 size = -1;
        QDateTime modified, changed;
        bool operator==(const Stamp& other) const;
    };
    static Stamp stampOf(const QString& path);

    QString path_;
    // Taken before the read: a change during it shows as a change.
    Stamp stamp_;
    std::future<Read> read_;
};

} // namespace quillmoor
