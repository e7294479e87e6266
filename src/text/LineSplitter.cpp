#include "LineSplitter.h"

namespace quillmoor {

void LineSplitter::split(QStringView text, bool last, const std::function<void(QStringView line)>& take)
{
    qsizetype start = 0;
    if (skipLF_ && !text.isEmpty()) {
        if (text.front() == u'\n')
            start = 1;
        skipLF_ = false;
    }
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        const QStringView line = text.sliced(start, i - start);
        if (pending_.isEmpty()) {
            take(line);
        } else {
            pending_.append(line);
            take(pending_);
            pending_.clear();
        }
        if (c == u'\r') {
            if (i + 1 == text.size())
                skipLF_ = true;
            else if (text[i + 1] == u'\n')
                ++i;
        }
        start = i + 1;
    }
    pending_.append(text.sliced(start));
    if (last) {
        if (!pending_.isEmpty())
            take(pending_);
        clear();
    }
}

void LineSplitter::clear()
{
    pending_.clear();
    skipLF_ = false;
}

} // namespace quillmoor
