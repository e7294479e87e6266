#include "PageInput.h"

namespace quillmoor {

PageInput::PageInput(Read read)
    : read_(std::move(read))
{
}

std::optional<QUrl> PageInput::pageOf(QByteArrayView line, QByteArray* note)
{
    QByteArrayView trimmed = line.trimmed();
    // An address has no blank in it, encoded.
    if (const qsizetype blank = trimmed.indexOf(' '); blank >= 0) {
        if (note)
            *note = trimmed.sliced(blank + 1).toByteArray();
        trimmed.truncate(blank);
    } else if (note) {
        note->clear();
    }
    if (trimmed.isEmpty())
        return std::nullopt;
    const QUrl url = QUrl::fromEncoded(trimmed.toByteArray());
    const QString scheme = url.scheme();
    if (url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty())
        return url;
    return std::nullopt;
}

std::optional<QUrl> PageInput::next()
{
    for (;;) {
        const qsizetype end = pending_.indexOf('\n', start_);
        if (end >= 0) {
            const bool skipped = overlong_;
            overlong_ = false;
            const QByteArrayView line(pending_.constData() + start_, end - start_);
            start_ = end + 1;
            if (std::optional<QUrl> page = skipped ? std::nullopt : pageOf(line, &note_))
                return page;
            continue;
        }
        if (ended_)
            return std::nullopt;
        pending_.remove(0, start_);
        start_ = 0;
        if (pending_.size() > kLongestLine) {
            pending_.clear();
            overlong_ = true;
        }
        char buffer[kReadBytes];
        const qint64 got = read_(buffer, sizeof buffer);
        if (got <= 0) {
            ended_ = true;
            failed_ = got < 0;
            // A last line cut short by a failure may be a different address.
            const QByteArray last = got == 0 && !overlong_ ? pending_ : QByteArray();
            pending_.clear();
            return pageOf(last, &note_);
        }
        pending_.append(buffer, qsizetype(got));
    }
}

} // namespace quillmoor
