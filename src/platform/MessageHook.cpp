#include "MessageHook.h"

#include "Process.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace quillmoor {

namespace {
    // Qt keeps one handler for the whole process, so its listeners are
    // process-wide too.
    std::vector<MessageListener*> g_listeners;
    QtMessageHandler g_qtOutput = nullptr;
} // namespace

void dispatchMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    for (auto it = g_listeners.rbegin(); it != g_listeners.rend(); ++it) {
        if ((*it)->listen_(type, context, text))
            return;
    }
    MessageListener::passOn(type, context, text);
}

MessageListener::MessageListener(Listen listen)
    : listen_(std::move(listen))
{
    if (g_listeners.empty())
        g_qtOutput = qInstallMessageHandler(dispatchMessage);
    g_listeners.push_back(this);
}

MessageListener::~MessageListener()
{
    g_listeners.erase(std::remove(g_listeners.begin(), g_listeners.end(), this), g_listeners.end());
    if (g_listeners.empty())
        qInstallMessageHandler(std::exchange(g_qtOutput, nullptr));
}

void MessageListener::passOn(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (g_qtOutput)
        g_qtOutput(type, context, text);
    else
        qt_message_output(type, context, text);
}

DisplayLossCloser::DisplayLossCloser(std::function<void()> save)
    : save_(std::move(save))
    , listener_([this](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        const bool lost = type == QtWarningMsg
            && (text.startsWith(u"The X11 connection broke") || text.startsWith(u"The Wayland connection broke")
                || text.startsWith(u"The Wayland connection experienced a fatal error"));
        QCoreApplication* application = QCoreApplication::instance();
        if (!lost || !application)
            return false;
        // The work first: writing the message may fail, or block on a
        // terminal that is going away with the display.
        if (QThread::currentThread() == application->thread()) {
            saveOnce();
        } else {
            // Qt's Wayland plugin may notice the loss on its reading thread
            // and end the program from there, while the main thread notices
            // it too. The work belongs to the main thread, which is given a
            // few seconds for it; should it be stuck on the display itself,
            // the program ends all the same.
            if (!posted_.exchange(true))
                QMetaObject::invokeMethod(
                    application, [this] { saveOnce(); }, Qt::QueuedConnection);
            done_.tryAcquire(1, 3000);
        }
        MessageListener::passOn(type, context, text);
        // Qt would go on to exit() from inside the event loop, running the
        // destructors of statics under live windows. The work is done: end
        // here, with the status Qt gives.
        os::endNow(1);
    })
{
}

void DisplayLossCloser::saveOnce()
{
    if (save_)
        std::exchange(save_, nullptr)();
    // Whichever thread waits for the work goes on now.
    done_.release(2);
}

} // namespace quillmoor
