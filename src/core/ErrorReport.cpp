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

QString quotedExcerpt(QStringView text, qsizetype limit)
{
    qsizetype cut = qMin(text.size(), limit);
    // Half a character would show as a broken one.
    if (cut < text.size() && cut > 0 && text[cut - 1].isHighSurrogate() && text[cut].isLowSurrogate())
        --cut;
    QString out;
    out.reserve(cut + 8);
    for (const QChar c : text.first(cut)) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else if (u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (cut < text.size())
        out += u'\u2026';
    return out;
}

void ShowErrorReport(Platform& platform, const QString& procedure, int line, const QString& description)
{
    platform.showMessage(kErrorReportTitle, errorReportText(procedure, line, description));
}

} // namespace quillmoor
