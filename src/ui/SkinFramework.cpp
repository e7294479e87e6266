#include "SkinFramework.h"

#include "Failure.h"
#include "MessageHook.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

namespace quillmoor {

void SkinFramework::loadSkin(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(tr("The skin file \"%1\" could not be read: %2.").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(tr("The skin file \"%1\" could not be read: %2.").arg(path, file.errorString()));
    path_ = path;
    sheet_ = QString::fromUtf8(bytes);
}

void SkinFramework::applyWindow(QWidget* window)
{
    if (!enabled_ || !window)
        return;
    const QString previous = skinDialogs_ ? qApp->styleSheet() : window->styleSheet();
    // Qt reports a style sheet it cannot parse only as a warning; this
    // catches that warning while the sheet is installed.
    bool rejected = false;
    {
        const MessageListener watch([&rejected](QtMsgType, const QMessageLogContext&, const QString& message) {
            const bool parseError = message.startsWith(QLatin1String("Could not parse"));
            rejected = rejected || parseError;
            return parseError;
        });
        if (skinDialogs_)
            qApp->setStyleSheet(sheet_);
        else
            window->setStyleSheet(sheet_);
        window->ensurePolished();
    }

    if (rejected && (options_ & RejectInvalidSkin)) {
        if (skinDialogs_)
            qApp->setStyleSheet(previous);
        else
            window->setStyleSheet(previous);
        throw Failure(tr("The skin file \"%1\" is not a valid style sheet.").arg(path_));
    }
}

} // namespace quillmoor
