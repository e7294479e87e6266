#include "LaunchFailure.h"

#include "ErrorReport.h"

#include <QCoreApplication>

namespace quillmoor {

namespace {
    // The texts keep the queue's translation context.
    class LaunchFailureText {
        Q_DECLARE_TR_FUNCTIONS(LauncherQueue)
    };
} // namespace

QString launcherWords(const QStringList& lines)
{
    // Browsers and shells warn of harmless things before they give up, so
    // the end of what was said explains the failure; what came just before
    // it is context while there is room.
    constexpr qsizetype kRoom = 80;
    const QLatin1String between(" / ");
    QString words = lines.isEmpty() ? QString() : lines.last();
    for (qsizetype i = lines.size() - 2; i >= 0; --i) {
        if (lines.at(i).size() + between.size() + words.size() > kRoom)
            break;
        words.prepend(lines.at(i) + between);
    }
    return words;
}

QString launchFailureText(int failed, int total, const QString& firstFailed, const QString& firstMessage)
{
    // Quoted the way faults in a file are: an address or a launcher's
    // output can be any length and hold anything.
    const QString address = quotedExcerpt(firstFailed);
    QString description = total == 1
        ? LaunchFailureText::tr("The web browser did not take 1 of 1 address: %1.").arg(address)
        : LaunchFailureText::tr("The web browser did not take %1 of %2 addresses; the first was %3.")
              .arg(failed)
              .arg(total)
              .arg(address);
    if (!firstMessage.isEmpty())
        description += u' ' + LaunchFailureText::tr("The launcher said: %1").arg(quotedExcerpt(firstMessage));
    return description;
}

} // namespace quillmoor
