#include "SearchStore.h"

#include "Failure.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

namespace quillmoor {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SearchStore", text);
}

QString statusText(QSettings::Status status)
{
    return status == QSettings::FormatError ? tr("the file is not in INI format")
                                            : tr("the file or its folder cannot be accessed");
}

} // namespace

QString GetSetting(const QString &file, const QString &section, const QString &key)
{
    QSettings settings(file, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw Failure(tr("The saved searches could not be read from \"%1\": %2.").arg(file, statusText(settings.status())));
    const QVariant value = settings.value(section + u'/' + key);
    // An INI value edited by hand with unquoted commas reads as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

void SaveSetting(const QString &file, const QString &section, const QString &key, const QString &value)
{
    QSettings settings(file, QSettings::IniFormat);
    // Written through a temporary file that replaces the old one only when
    // complete, so a failed write never leaves half a list behind.
    settings.setAtomicSyncRequired(true);
    settings.setValue(section + u'/' + key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw Failure(tr("The saved searches could not be written to \"%1\": %2.").arg(file, statusText(settings.status())));
}

bool needsEscaping(const QString &entry)
{
    return entry.contains(u'|');
}

QString escapeEntry(const QString &entry)
{
    QString escaped = entry;
    escaped.replace(u'%', QStringLiteral("%25"));
    escaped.replace(u'|', QStringLiteral("%7C"));
    return escaped;
}

QString unescapeEntry(QStringView piece)
{
    QString entry;
    entry.reserve(piece.size());
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const QStringView rest = piece.sliced(i);
        if (rest.startsWith(u"%25")) {
            entry += u'%';
            i += 2;
        } else if (rest.startsWith(u"%7C", Qt::CaseInsensitive)) {
            entry += u'|';
            i += 2;
        } else {
            entry += piece[i];
        }
    }
    return entry;
}

} // namespace quillmoor
