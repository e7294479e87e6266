#pragma once

#include <QString>

namespace quillmoor {

struct Platform;

inline const QString kErrorReportTitle = QStringLiteral("Application Error");
inline const QString kSupportAddress = QStringLiteral("support@marrowfen.example");

// The exact text of the error report for a failure in `procedure` at `line`.
QString errorReportText(const QString& procedure, int line, const QString& description);

// Builds the report and shows it; returns when the user has closed it.
void ShowErrorReport(Platform& platform, const QString& procedure, int line, const QString& description);

} // namespace quillmoor
