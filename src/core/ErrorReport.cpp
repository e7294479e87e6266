#include "ErrorReport.h"

#include "Platform.h"

namespace quillmoor {

QString errorReportText(const QString& procedure, int line, const QString& description)
{
    // Support staff match these texts against old screenshots, so the
    // location line keeps the project name it has always carried.
    return description + QStringLiteral("\r\n") + QStringLiteral("in Quillfind2021/08/31.Form1.") + procedure
        + QStringLiteral(" at line ") + QString::number(line) + QStringLiteral("\r\r")
        + QStringLiteral("Please email screenshot of this message to ") + kSupportAddress;
}

void ShowErrorReport(Platform& platform, const QString& procedure, int line, const QString& description)
{
    platform.showMessage(kErrorReportTitle, errorReportText(procedure, line, description));
}

} // namespace quillmoor
