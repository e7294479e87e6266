#include "ConflictCopies.h"

#include "Backups.h"
#include "CarefulFile.h"
#include "Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace quillmoor {

namespace {

    // The three shapes of name, around the settings file's own name and
    // its extension.
    QRegularExpression conflictNames(const QString& settingsFile)
    {
        const QFileInfo info(settingsFile);
        const QString name = QRegularExpression::escape(info.completeBaseName());
        const QString ext
            = info.suffix().isEmpty() ? QString() : QStringLiteral("\\.") + QRegularExpression::escape(info.suffix());
        return QRegularExpression(QStringLiteral("^") + name
                + QStringLiteral(R"((\.sync-conflict-\d{8}-\d{6}-[A-Za-z0-9]+)"
                                 R"(| \(conflicted copy (.+ )?\d{4}-\d{2}-\d{2} \d{6}\))"
                                 R"(| \(.+['’]s conflicted copy \d{4}-\d{2}-\d{2}( \(\d+\))?\)))")
                + ext + QStringLiteral("$"),
            QRegularExpression::CaseInsensitiveOption);
    }

    // Past the backups' limits the oldest copies put away go; the newest
    // always stays.
    void prune(const QString& folder)
    {
        QFileInfoList copies = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
        std::sort(copies.begin(), copies.end(),
            [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() > b.lastModified(); });
        qint64 bytes = 0;
        int kept = 0;
        for (const QFileInfo& copy : copies) {
            bytes += copy.size();
            if (kept > 0 && (kept >= kBackupsKept || bytes > kBackupsBytes))
                QFile::remove(copy.filePath());
            else
                ++kept;
        }
    }

} // namespace

bool isConflictCopy(const QString& settingsFile, const QString& name)
{
    return conflictNames(settingsFile).match(name).hasMatch();
}

QStringList conflictCopiesOf(const QString& settingsFile)
{
    const QRegularExpression names = conflictNames(settingsFile);
    const QDir folder = QFileInfo(settingsFile).absoluteDir();
    QStringList copies;
    const QStringList all = folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : all) {
        if (names.match(name).hasMatch())
            copies << folder.filePath(name);
    }
    return copies;
}

QString conflictCopiesFolder(const QString& backups) { return backups + QStringLiteral("/sync-conflicts"); }

QString putAwayConflictCopy(const QString& backups, const QString& copy)
{
    const QString folder = conflictCopiesFolder(backups);
    const auto cannot = [&] {
        return Failure(SearchStoreText::tr("The copy \"%1\" that a sync tool left was taken in, but it could not be "
                                           "moved to \"%2\"; it stays where it is.")
                           .arg(copy, folder));
    };
    if (!linkTrouble(folder).isEmpty() || !QDir().mkpath(folder))
        throw cannot();
    // A copy of the same name put away before is never replaced.
    const QString name = QFileInfo(copy).fileName();
    QString to = QDir(folder).filePath(name);
    for (int n = 2; QFileInfo::exists(to) && n < 1000; ++n)
        to = QDir(folder).filePath(QStringLiteral("%1-%2").arg(n).arg(name));
    if (QFileInfo::exists(to) || !QFile::rename(copy, to)) {
        // Another copy of the program on this computer took it in at the
        // same time, and put it away first.
        if (!QFileInfo::exists(copy))
            return QString();
        throw cannot();
    }
    prune(folder);
    return to;
}

} // namespace quillmoor
