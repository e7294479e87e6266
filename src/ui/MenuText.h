#pragma once

#include <QString>

namespace quillmoor {

// A text shown as a menu entry as it stands: "&" would otherwise mark the
// entry's access key and vanish.
inline QString menuText(QString text) { return text.replace(u'&', QStringLiteral("&&")); }

// The name screen readers give an entry: its text without the access key
// marks, an escaped "&" as itself.
inline QString spokenText(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    return text.replace(u'\x01', u'&');
}

} // namespace quillmoor
