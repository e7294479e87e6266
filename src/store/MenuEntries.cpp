#include "MenuEntries.h"

#include "CarefulFile.h"
#include "DesktopEntry.h"
#include "Failure.h"
#include "SavedLists.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quillmoor {

namespace {
    Failure cannot(const char* what, const QString& file, const QString& why)
    {
        return Failure(QCoreApplication::translate("MenuEntries", what).arg(file, why));
    }

    // Where the entry's links lead; a link that may not be followed refuses.
    QString resolved(const QString& file, const char* what)
    {
        try {
            return resolveLinks(file);
        } catch (const FileTrouble& why) {
            throw cannot(what, file, why.text);
        }
    }
} // namespace

QString applicationsFolder(const QString& userDataFolder)
{
    return QFileInfo(userDataFolder).dir().filePath(QStringLiteral("applications"));
}

QString menuEntryFile(const QString& folder, const QString& list)
{
    // The digest that names the list's keys, so one list has one entry.
    return QDir(folder).filePath(QStringLiteral("quillmoor-") + listKey(list).toLower() + QStringLiteral(".desktop"));
}

bool hasMenuEntry(const QString& folder, const QString& list) { return QFileInfo::exists(menuEntryFile(folder, list)); }

void addMenuEntry(const QString& folder, const QString& list, const QString& program)
{
    const char* what = QT_TRANSLATE_NOOP("MenuEntries", "The menu entry \"%1\" could not be written: %2.");
    const QString file = menuEntryFile(folder, list);
    const QString target = resolved(file, what);
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        throw cannot(what, file, QCoreApplication::translate("MenuEntries", "its folder cannot be made"));
    QSaveFile save(target);
    if (!save.open(QIODevice::WriteOnly) || save.write(listEntryText(list, program)) < 0 || !save.commit())
        throw cannot(what, file, save.errorString());
}

void removeMenuEntry(const QString& folder, const QString& list)
{
    const char* what = QT_TRANSLATE_NOOP("MenuEntries", "The menu entry \"%1\" could not be removed: %2.");
    const QString file = menuEntryFile(folder, list);
    // The entry's own name goes, never what a link there leads to.
    resolved(QFileInfo(file).absolutePath(), what);
    QFile entry(file);
    if (QFileInfo(file).isSymLink() || entry.exists()) {
        if (!entry.remove())
            throw cannot(what, file, entry.errorString());
    }
}

} // namespace quillmoor
