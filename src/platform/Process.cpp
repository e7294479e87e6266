#include "Process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quillmoor::os {

int unnamedFile()
{
    const QByteArray folder = QFile::encodeName(QDir::tempPath());
    int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    QByteArray name = folder + "/quillmoor-launcher-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        ::unlink(name.constData());
    return fd;
}

QString firstLine(int fd)
{
    char bytes[2000];
    const ssize_t count = fd >= 0 ? ::pread(fd, bytes, sizeof bytes, 0) : -1;
    if (count <= 0)
        return QString();
    for (const QByteArray& line : QByteArray(bytes, int(count)).split('\n')) {
        const QString said = QString::fromLocal8Bit(line).trimmed();
        if (!said.isEmpty())
            return said;
    }
    return QString();
}

int spawn(qint64* pid, const QString& program, const QStringList& arguments, int errorFd)
{
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    if (errorFd >= 0)
        posix_spawn_file_actions_adddup2(&files, errorFd, 2);
    else
        posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC_PREREQ) && __GLIBC_PREREQ(2, 34)
    // Nothing else the program was given goes on to the browser.
    posix_spawn_file_actions_addclosefrom_np(&files, 3);
#endif
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    QByteArray path = QFile::encodeName(program);
    QList<QByteArray> encoded;
    for (const QString& argument : arguments)
        encoded << argument.toLocal8Bit();
    std::vector<char*> argv { path.data() };
    for (QByteArray& argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int result = ::posix_spawn(&child, path.constData(), &files, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    *pid = child;
    return result;
}

int processDescriptor(qint64 pid) { return int(::syscall(SYS_pidfd_open, pid_t(pid), 0)); }

std::optional<ChildEnd> reapChild(qint64 pid)
{
    int status = 0;
    const pid_t done = ::waitpid(pid_t(pid), &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR))
        return std::nullopt;
    ChildEnd end;
    end.reaped = done > 0;
    if (done > 0 && WIFSIGNALED(status))
        end.signal = WTERMSIG(status);
    else if (done > 0)
        end.status = WEXITSTATUS(status);
    return end;
}

bool processGone(qint64 pid) { return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH; }

void reapEnded(QList<qint64>& pids)
{
    pids.removeIf([](qint64 pid) { return reapChild(pid).has_value(); });
}

void closeDescriptor(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

QString runningExecutable()
{
    const QString self = QStringLiteral("/proc/self/exe");
    return QFileInfo::exists(self) ? self : QCoreApplication::applicationFilePath();
}

void ignoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

void endNow(int status)
{
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);
}

} // namespace quillmoor::os
