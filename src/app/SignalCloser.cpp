#include "SignalCloser.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace quillmoor {

namespace {

    int g_pipe[2] = { -1, -1 };
    constexpr int kSignals[] = { SIGTERM, SIGINT, SIGHUP };
    struct sigaction g_previous[std::size(kSignals)];
    bool g_installed[std::size(kSignals)] = {};

    void onSignal(int)
    {
        // The interrupted code may be about to look at errno.
        const int saved = errno;
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
        errno = saved;
    }

    std::function<void()> g_saveOnDisplayLoss;
    QtMessageHandler g_previousHandler = nullptr;

    void watchForDisplayLoss(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        const bool lost = type == QtWarningMsg
            && (text.startsWith(u"The X11 connection broke") || text.startsWith(u"The Wayland connection broke")
                || text.startsWith(u"The Wayland connection experienced a fatal error"));
        QCoreApplication* application = QCoreApplication::instance();
        if (!lost || !g_saveOnDisplayLoss || !application) {
            g_previousHandler(type, context, text);
            return;
        }
        // The work first: writing the message may fail, or block on a
        // terminal that is going away with the display.
        if (QThread::currentThread() == application->thread()) {
            std::exchange(g_saveOnDisplayLoss, nullptr)();
        } else {
            // Qt's Wayland plugin notices the loss on its reading thread and
            // ends the program from there. The work belongs to the main
            // thread, which is given a few seconds for it; should it be stuck
            // on the display itself, the program ends all the same.
            auto done = std::make_shared<QSemaphore>();
            QMetaObject::invokeMethod(
                application,
                [save = std::exchange(g_saveOnDisplayLoss, nullptr), done] {
                    save();
                    done->release();
                },
                Qt::QueuedConnection);
            done->tryAcquire(1, 3000);
        }
        g_previousHandler(type, context, text);
        // Qt would go on to exit() from inside the event loop, running the
        // destructors of statics under live windows. The work is done: end
        // here, with the status Qt gives.
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(1);
    }

} // namespace

DisplayLossCloser::DisplayLossCloser(std::function<void()> save)
{
    g_saveOnDisplayLoss = std::move(save);
    g_previousHandler = qInstallMessageHandler(watchForDisplayLoss);
}

DisplayLossCloser::~DisplayLossCloser()
{
    qInstallMessageHandler(g_previousHandler);
    g_saveOnDisplayLoss = nullptr;
}

SignalCloser::SignalCloser(std::function<void()> close, QObject* parent)
    : QObject(parent)
    , close_(std::move(close))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) { }
        close_();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        // A signal the program was started to ignore stays ignored, so that
        // "nohup quillmoor" survives the hang-up it asked to survive.
        if (::sigaction(kSignals[i], nullptr, &g_previous[i]) != 0 || g_previous[i].sa_handler == SIG_IGN)
            continue;
        g_installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

SignalCloser::~SignalCloser()
{
    // The handlers go before the pipe they write to.
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (g_installed[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
    delete notifier_;
    for (int& fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace quillmoor
