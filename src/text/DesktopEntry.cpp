#include "DesktopEntry.h"

#include <QCoreApplication>

namespace quillmoor {

namespace {
    // A string value's escapes; names hold no line breaks.
    QString escapedValue(QString text) { return text.replace(u'\\', QStringLiteral("\\\\")); }
} // namespace

QString execArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return escapedValue(u'"' + quoted + u'"').replace(u'%', QStringLiteral("%%"));
}

QByteArray listEntryText(const QString& list, const QString& program)
{
    const QString name = QCoreApplication::translate("DesktopEntry", "Open %1 Searches").arg(list);
    const QString comment
        = QCoreApplication::translate("DesktopEntry", "Opens every search of the Quillmoor list \"%1\"").arg(list);
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + escapedValue(name) + u'\n';
    text += QStringLiteral("Comment=") + escapedValue(comment) + u'\n';
    text += QStringLiteral("Exec=%1 --open-all --list %2\n").arg(execArgument(program), execArgument(list));
    text += QStringLiteral("Icon=quillmoor\nTerminal=false\nCategories=Network;\n");
    return text.toUtf8();
}

} // namespace quillmoor
