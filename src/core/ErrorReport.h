#pragma once

#include <QString>

namespace quillmoor {

struct Platform;

inline const QString kErrorReportTitle = QStringLiteral("Application Error");
inline const QString kSupportAddress = QStringLiteral("support@marrowfen.example");

// The exact text of the error report for a failure in `procedure` at `line`.
QString errorReportText(const QString& procedure, int line, const QString& description);

// A piece of a file's text as a report quotes it: at most `limit`
// characters of it, then "…" when there was more, with control characters
// and line separators shown as escapes (\x00, \u2028). Whatever a file
// holds, the report then stays whole, on its lines and of bounded length.
QString quotedExcerpt(QStringView text, qsizetype limit = 80);

// Builds the report and shows it; returns when the user has closed it.
void ShowErrorReport(Platform& platform, const QString& procedure, int line, const QString& description);

} // namespace quillmoor
