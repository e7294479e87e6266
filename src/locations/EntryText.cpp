#include "EntryText.h"

namespace quillmoor {

namespace {

    // Whether `text` needs no change to be an entry.
    bool alreadyClean(QStringView text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (isEntryControl(c))
                return false;
            if (QChar::isSurrogate(c)) {
                if (!QChar::isHighSurrogate(c) || i + 1 == text.size() || !QChar::isLowSurrogate(text[i + 1].unicode()))
                    return false;
                ++i;
            }
        }
        return true;
    }

} // namespace

QString entryText(QStringView text)
{
    while (text.startsWith(u'\uFEFF'))
        text = text.sliced(1);
    if (text.trimmed().isEmpty())
        return QString();
    if (alreadyClean(text))
        return text.toString();
    QString entry;
    entry.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' || i == 0 || text[i - 1] != u'\r')
                entry += u' ';
        } else if (isEntryControl(c)) {
            // dropped
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            entry += text.sliced(i++, 2);
        } else {
            entry += QChar::isSurrogate(c) ? QChar(QChar::ReplacementCharacter) : QChar(c);
        }
    }
    return entry.trimmed().isEmpty() ? QString() : entry;
}

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
