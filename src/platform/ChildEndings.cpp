#include "ChildEndings.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quillmoor {

namespace {

    int childEndedWriteFd = -1;
    struct sigaction previousChildAction = {};

    void childEnded(int signal, siginfo_t* info, void* context)
    {
        const int saved = errno;
        const char byte = 0;
        // A full pipe already says enough.
        [[maybe_unused]] const ssize_t ignored = ::write(childEndedWriteFd, &byte, 1);
        errno = saved;
        // Whoever watched before (Qt's own process handling) still hears.
        if (previousChildAction.sa_flags & SA_SIGINFO) {
            if (previousChildAction.sa_sigaction)
                previousChildAction.sa_sigaction(signal, info, context);
        } else if (previousChildAction.sa_handler != SIG_DFL && previousChildAction.sa_handler != SIG_IGN) {
            previousChildAction.sa_handler(signal);
        }
    }

} // namespace

ChildEndings* ChildEndings::instance()
{
    // Never destroyed: the signal may come until the program's last moment.
    static ChildEndings* const watch = new ChildEndings;
    return watch;
}

ChildEndings::ChildEndings()
{
    int ends[2] = { -1, -1 };
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readFd_ = ends[0];
    childEndedWriteFd = ends[1];
    struct sigaction action = {};
    action.sa_sigaction = childEnded;
    action.sa_flags = SA_SIGINFO | SA_RESTART | SA_NOCLDSTOP;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGCHLD, &action, &previousChildAction);
    auto* notifier = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &ChildEndings::drain);
}

void ChildEndings::drain()
{
    char bytes[256];
    while (::read(readFd_, bytes, sizeof bytes) > 0) { }
    emit ended();
}

} // namespace quillmoor
