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
