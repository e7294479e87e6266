#pragma once

#include <QByteArray>
#include <QUrl>
#include <functional>
#include <optional>

namespace quillmoor {

// The pages the hand-over process is given, one a line, read only as far as
// the next page: however long the input, or endless, memory holds one read
// and one line of it. Only web pages count: a file's address, a script or an
// option would be acted on by whatever program it reaches.
class PageInput {
public:
    // Reads up to `size` bytes into `buffer`: 0 at the end, -1 on failure.
    using Read = std::function<qint64(char* buffer, qint64 size)>;

    // Far longer than any address the window sends; a line past it is no
    // address, and is dropped without being kept whole in memory.
    static constexpr qsizetype kLongestLine = qsizetype(1) << 20;
    static constexpr qsizetype kReadBytes = 65536;

    explicit PageInput(Read read);

    // The next page, or nothing at the end of the input or where it could
    // not be read further.
    std::optional<QUrl> next();
    // What followed that page on its line, after a blank.
    const QByteArray& note() const { return note_; }
    // Reading failed (a folder, a closed descriptor), which no retry would
    // mend.
    bool failed() const { return failed_; }
    // The bytes held now.
    qsizetype held() const { return pending_.size(); }

    // The web page on one line, or nothing; `note` (where given) gets what
    // follows it after a blank.
    static std::optional<QUrl> pageOf(QByteArrayView line, QByteArray* note = nullptr);

private:
    Read read_;
    QByteArray pending_;
    QByteArray note_;
    qsizetype start_ = 0;
    bool overlong_ = false; // the line read now is past the longest
    bool ended_ = false;
    bool failed_ = false;
};

} // namespace quillmoor
