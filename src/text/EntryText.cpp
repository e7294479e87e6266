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
    // A mark that only a dropped control kept from the start is at the start
    // now: drop it too, or the entry read again would lose it then.
    qsizetype marks = 0;
    while (marks < entry.size() && entry[marks] == u'\uFEFF')
        ++marks;
    entry.remove(0, marks);
    return entry.trimmed().isEmpty() ? QString() : entry;
}

} // namespace quillmoor
