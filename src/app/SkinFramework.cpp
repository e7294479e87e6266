#include "SkinFramework.h"

#include "Failure.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>
#include <QWidget>

namespace quillmoor {

namespace {

    // Qt reports a style sheet it cannot parse only as a warning; this catches
    // that warning while one sheet is installed.
    bool g_sheetRejected = false;
    QtMessageHandler g_previousHandler = nullptr;

    void watchForParseErrors(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (message.startsWith(QLatin1String("Could not parse")))
            g_sheetRejected = true;
        else if (g_previousHandler)
            g_previousHandler(type, context, message);
    }

} // namespace

void SkinFramework::loadSkin(const QString& path, const QString& baseStyle)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(tr("The skin file \"%1\" could not be read: %2.").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(tr("The skin file \"%1\" could not be read: %2.").arg(path, file.errorString()));
    path_ = path;
    sheet_ = QString::fromUtf8(bytes);
    baseStyle_ = baseStyle;
}

void SkinFramework::applyWindow(QWidget* window)
{
    if (!enabled_ || !window)
        return;
    if (!baseStyle_.isEmpty()) {
        if (!QStyleFactory::keys().contains(baseStyle_, Qt::CaseInsensitive))
            throw Failure(tr("The skin asks for the style \"%1\", which is not available.").arg(baseStyle_));
        QApplication::setStyle(baseStyle_);
    }

    const QString previous = skinDialogs_ ? qApp->styleSheet() : window->styleSheet();
    g_sheetRejected = false;
    g_previousHandler = qInstallMessageHandler(watchForParseErrors);
    if (skinDialogs_)
        qApp->setStyleSheet(sheet_);
    else
        window->setStyleSheet(sheet_);
    window->ensurePolished();
    qInstallMessageHandler(g_previousHandler);

    if (g_sheetRejected && (options_ & RejectInvalidSkin)) {
        if (skinDialogs_)
            qApp->setStyleSheet(previous);
        else
            window->setStyleSheet(previous);
        throw Failure(tr("The skin file \"%1\" is not a valid style sheet.").arg(path_));
    }
}

} // namespace quillmoor
