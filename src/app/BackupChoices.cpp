#include "BackupChoices.h"

#include <QCoreApplication>
#include <QLocale>

namespace quillmoor {

BackupChoices::BackupChoices(const QString& folder)
    : backups_(listBackups(folder, false))
{
    for (const Backup& backup : std::as_const(backups_))
        choices_ << describe(backup);
    QList<QString> files;
    for (const Backup& backup : std::as_const(backups_))
        files << backup.file;
    counter_ = std::thread([this, files] {
        for (int i = 0; i < files.size() && !stop_; ++i) {
            const qsizetype searches = countBackup(files.at(i));
            QMetaObject::invokeMethod(
                &receiver_, [this, i, searches] { counted(i, searches); }, Qt::QueuedConnection);
        }
    });
}

BackupChoices::~BackupChoices()
{
    stop_ = true;
    if (counter_.joinable())
        counter_.join();
}

QString BackupChoices::describe(const Backup& backup)
{
    const QString made = QLocale().toString(backup.made, QLocale::LongFormat);
    if (backup.searches < 0)
        return QCoreApplication::translate("SavedListEditing", "%1 \u2013 \u2026").arg(made);
    return (backup.searches == 1 ? QCoreApplication::translate("SavedListEditing", "%1 \u2013 1 search")
                                 : QCoreApplication::translate("SavedListEditing", "%1 \u2013 %2 searches"))
        .arg(made)
        .arg(backup.searches);
}

void BackupChoices::counted(int index, qsizetype searches)
{
    // One that can no longer be read says so when chosen.
    backups_[index].searches = qMax<qsizetype>(searches, 0);
    choices_[index] = describe(backups_[index]);
    if (told_)
        told_(index, choices_[index]);
}

} // namespace quillmoor
