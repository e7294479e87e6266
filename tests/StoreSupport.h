#pragma once

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QVariantMap>

namespace quillmoor::test {

// A settings file of a test's own, and what QSettings itself reads of it.
struct StoreFiles {
    FakeDesktop desktop;
    StoreFiles() { desktop.write(QStringLiteral("list.txt"), "a,A,\r\n"); }

    QString value() const
    {
        return QSettings(desktop.settingsFile(), QSettings::IniFormat).value("Quillmoor/Searches").toString();
    }
    void setValue(const QString& value)
    {
        QSettings settings(desktop.settingsFile(), QSettings::IniFormat);
        settings.setValue("Quillmoor/Searches", value);
    }
    QByteArray bytes() const
    {
        QFile file(desktop.settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }
    // Every name in the settings folder: nothing staged may be left behind.
    QStringList names(const QString& folder = QString()) const
    {
        return QDir(folder.isEmpty() ? QFileInfo(desktop.settingsFile()).path() : folder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
};

inline QVariantMap settingsRead(const QString& file)
{
    const QSettings settings(file, QSettings::IniFormat);
    QVariantMap read;
    for (const QString& key : settings.allKeys())
        read.insert(key, settings.value(key));
    return read;
}

} // namespace quillmoor::test
