#pragma once

#include "ItemBatch.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <functional>
#include <limits>
#include <optional>

namespace quillmoor {

class Failure;
struct LocationLine;
class TextDecoder;

// list.txt, opened for reading. Opening is a step of its own so that a file
// that cannot be opened leaves whatever the caller shows untouched.
class LocationFile {
    Q_DECLARE_TR_FUNCTIONS(LocationFile)

public:
    // Large enough that a filter keystroke makes few system calls, small enough
    // that a file of hundreds of megabytes is never held twice in memory.
    static constexpr qint64 kReadBytes = 1 << 20;

    // A city list is a few hundred kilobytes. One far larger would hold the
    // window for many seconds at every keystroke and take gigabytes: every
    // read refuses it (throws Failure) before its first line, or once it
    // grows past this while it is read.
    static constexpr qint64 kLargestFile = qint64(64) << 20;

    // Throws Failure when the file cannot be opened. The file is read
    // `readBytes` at a time.
    explicit LocationFile(const QString& path, qint64 readBytes = kReadBytes);

    // Reads the whole file, adding to `out` every location whose display name
    // contains `filter` (ignoring case; an empty filter takes every line), in
    // file order. Stops at the first line with fewer than three fields, or
    // with a NUL in its address, and answers what is wrong with it; the
    // locations before it stay in `out`. CR LF, LF and a lone CR all end a
    // line; a byte-order mark at the start of a line is dropped; the file's
    // encoding is that which TextDecoder finds for all of it.
    std::optional<QString> read(QStringView filter, ItemBatch& out);

    // Reads the whole file as read() does, handing every location that
    // matches `filter` to `visit` instead of keeping it; its views are valid
    // only during the call. For what the list does not show, such as the
    // fields after the addition. When the file turns out to be in another
    // code page and is read again, `restart` is called first: whatever was
    // visited so far is to be dropped.
    std::optional<QString> forEachLocation(QStringView filter, const std::function<void(const LocationLine&)>& visit,
        const std::function<void()>& restart);

    static QString pathIn(const QString& folder);

    // Every location of the file at `path`, as read() adds them with no
    // filter, and the fault that ended the reading early. Throws Failure when
    // the file cannot be opened.
    struct WholeList {
        ItemBatch items;
        std::optional<QString> fault;
    };
    static WholeList readWhole(const QString& path);

private:
    // Calls sink(line, chunk) for every line, the line's fields pointing
    // into chunk `chunk` of `store`. When the file has to be read again in
    // another code page, the store is taken back to where it was and
    // forget() tells the sink to drop what it was given.
    template <class LocationSink, class Forget>
    std::optional<QString> forEachLine(ItemBatch& store, LocationSink&& sink, Forget&& forget);
    // One pass over the file, from its first byte to its end or its first
    // short line.
    template <class LocationSink> class Pass;
    // Reads the rest of the file only to learn whether it is UTF-8 still.
    bool restIsUtf8(TextDecoder& decoder, QByteArray& bytes, qsizetype carried);
    qint64 readInto(char* to);
    // The first bytes, which may tell the code page; the file is then read
    // from its start.
    QByteArray firstBytes();
    Failure readFailure() const;
    QString badLine(qsizetype number, QStringView line) const;

    // List rows keep 32-bit lengths; no real line comes near this.
    static constexpr qsizetype kLongestLine = std::numeric_limits<qint32>::max();

    QString path_; // as given: the file is opened by its descriptor
    QFile file_;
    qint64 readBytes_;
};

} // namespace quillmoor
