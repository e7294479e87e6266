#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace quillmoor {

// An address as a launcher or a browser is given it, and as a report
// quotes it.
inline QString launcherArgument(const QUrl& url) { return QString::fromLatin1(url.toEncoded()); }

// The command (program, then its arguments) that opens `url` in a browser
// where the launcher is missing: the browser the environment names
// ($DEFAULT_BROWSER, then $BROWSER, each a list of commands split by ':'
// where %s stands for the address), then the system's choice of browser,
// then well-known browsers, the first found on PATH. Nothing when none is.
QStringList browserCommand(const QUrl& url);

} // namespace quillmoor
