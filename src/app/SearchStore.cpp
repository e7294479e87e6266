#include "SearchStore.h"

#include "Failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace quillmoor {

namespace {

    QString tr(const char* text) { return QCoreApplication::translate("SearchStore", text); }

    QString statusText(QSettings::Status status)
    {
        return status == QSettings::FormatError ? tr("the file is not in INI format")
                                                : tr("the file or its folder cannot be accessed");
    }

} // namespace

QString GetSetting(const QString& file, const QString& section, const QString& key)
{
    QSettings settings(file, QSettings::IniFormat);
    // A file that does not parse to the end still yields what it holds
    // before the fault; saving keeps the whole file aside.
    if (settings.status() == QSettings::AccessError)
        throw Failure(
            tr("The saved searches could not be read from \"%1\": %2.").arg(file, statusText(settings.status())));
    const QVariant value = settings.value(section + u'/' + key);
    // An INI value edited by hand with unquoted commas reads as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

void SaveSetting(const QString& file, const QString& section, const QString& key, const QString& value)
{
    const QString name = section + u'/' + key;
    const auto fail = [&](const QString& why) {
        throw Failure(tr("The saved searches could not be written to \"%1\": %2.").arg(file, why));
    };
    const QFileInfo info(file);
    if (!QDir().mkpath(info.absolutePath()))
        fail(tr("its folder cannot be created"));

    // QSettings does not notice a write that runs out of space, and it
    // writes over the file in place when it cannot replace it. So the new
    // file is written beside the old one, read back from disk under a second
    // name (QSettings would answer from its cache under the first), and only
    // a complete copy replaces the old file, in one rename.
    QTemporaryFile temporary(info.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        fail(temporary.errorString());
    const QString staged = temporary.fileName();
    const QString check = staged + QStringLiteral(".check");
    const auto cleanUp = qScopeGuard([&] { QFile::remove(check); });
    if (info.exists()) {
        temporary.setPermissions(QFile::permissions(file));
        QFile old(file);
        if (!old.open(QIODevice::ReadOnly) || temporary.write(old.readAll()) != old.size() || !temporary.flush())
            fail(tr("the old file cannot be copied"));
    }
    temporary.close();

    // A file edited by hand into something QSettings cannot parse would
    // refuse every write, and the list would be lost. It is kept whole beside
    // the new file, which takes over what could be read of it.
    QVariantMap readable;
    bool unreadable = false;
    {
        const QSettings copy(staged, QSettings::IniFormat);
        unreadable = copy.status() == QSettings::FormatError;
        if (unreadable) {
            for (const QString& oldKey : copy.allKeys())
                readable.insert(oldKey, copy.value(oldKey));
        }
    }
    if (unreadable) {
        const QString aside = file + QStringLiteral(".unreadable");
        if ((QFile::exists(aside) && !QFile::remove(aside)) || !QFile::copy(file, aside))
            fail(tr("the old file cannot be kept as \"%1\"").arg(aside));
        if (!QFile::resize(staged, 0))
            fail(tr("the old file cannot be copied"));
    }
    {
        QSettings settings(staged, QSettings::IniFormat);
        for (auto it = readable.cbegin(); it != readable.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.setValue(name, value);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            fail(statusText(settings.status()));
    }
    if (::link(QFile::encodeName(staged).constData(), QFile::encodeName(check).constData()) != 0
        && !QFile::copy(staged, check))
        fail(tr("the written file cannot be checked"));
    {
        QSettings written(check, QSettings::IniFormat);
        if (written.status() != QSettings::NoError || written.value(name).toString() != value)
            fail(tr("the disk did not take the whole list (is it full?)"));
    }
    if (::rename(QFile::encodeName(staged).constData(), QFile::encodeName(file).constData()) != 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    temporary.setAutoRemove(false);
}

bool needsEscaping(const QString& entry) { return entry.contains(u'|'); }

QString escapeEntry(const QString& entry)
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
