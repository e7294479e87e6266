#include "Process.h"

#include "FileCalls.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
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

QStringList lastLines(int fd, int most)
{
    // Only the end is read: a launcher may write any amount before it
    // says why it gave up, and that comes last.
    constexpr qint64 kTail = 8192;
    struct stat about { };
    if (fd < 0 || ::fstat(fd, &about) != 0 || about.st_size <= 0)
        return {};
    const qint64 from = qMax<qint64>(0, qint64(about.st_size) - kTail);
    QByteArray bytes(int(qint64(about.st_size) - from), Qt::Uninitialized);
    const ssize_t count = ::pread(fd, bytes.data(), size_t(bytes.size()), off_t(from));
    if (count <= 0)
        return {};
    bytes.truncate(int(count));
    QList<QByteArray> lines = bytes.split('\n');
    // A line cut by where the reading starts, and half a character with
    // it, is not quoted unless it is all there is.
    if (from > 0 && lines.size() > 1)
        lines.removeFirst();
    QStringList said;
    for (auto line = lines.crbegin(); line != lines.crend() && said.size() < most; ++line) {
        const QString text = QString::fromLocal8Bit(*line).trimmed();
        if (!text.isEmpty())
            said.prepend(text);
    }
    return said;
}

namespace {

    // How a process is started beyond its program and arguments.
    struct SpawnSetup {
        QByteArray name; // its argv[0]; the program's path when empty
        int inputFd = -1; // its standard input; nothing to read when -1
        int errorFd = -1; // its error output; nowhere when -1
        bool ownSession = false; // in a session and folder of its own, "/"
    };

    int spawnWith(qint64* pid, const QString& program, const QStringList& arguments, const SpawnSetup& setup)
    {
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        if (setup.inputFd >= 0)
            posix_spawn_file_actions_adddup2(&files, setup.inputFd, 0);
        else
            posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
        if (setup.errorFd >= 0)
            posix_spawn_file_actions_adddup2(&files, setup.errorFd, 2);
        else
            posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
        if (setup.ownSession)
            posix_spawn_file_actions_addchdir_np(&files, "/");
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
        posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | (setup.ownSession ? POSIX_SPAWN_SETSID : 0));
        const QByteArray path = QFile::encodeName(program);
        QByteArray name = setup.name.isEmpty() ? path : setup.name;
        QList<QByteArray> encoded;
        for (const QString& argument : arguments)
            encoded << argument.toLocal8Bit();
        std::vector<char*> argv { name.data() };
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

    // `fd` holding `bytes`, read from its start; -1, and closed, when it
    // cannot take them.
    int filledFile(int fd, const QByteArray& bytes)
    {
        if (fd >= 0 && writeAll(fd, bytes) == 0 && ::lseek(fd, 0, SEEK_SET) == 0)
            return fd;
        if (fd >= 0)
            ::close(fd);
        return -1;
    }

    // An unnamed file holding `bytes`: in memory where the system offers
    // that, else one that never has a name, in the user's runtime folder or
    // the temporary one. Never a named file: a name can be read or swapped by
    // others.
    int unnamedInput(const QByteArray& bytes, InputRoute firstRoute)
    {
        if (firstRoute <= InputRoute::MemoryFile) {
            if (const int fd = filledFile(::memfd_create("quillmoor-pages", MFD_CLOEXEC), bytes); fd >= 0)
                return fd;
        }
        if (firstRoute > InputRoute::UnnamedFile)
            return -1;
        for (const QString& folder : { qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath() }) {
            if (folder.isEmpty())
                continue;
            const int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            if (const int filled = filledFile(fd, bytes); filled >= 0)
                return filled;
        }
        return -1;
    }

    // Feeds `bytes` to `writeEnd` from a process of its own, which outlives
    // this one when the reader takes its time: the reader may take a page
    // only when the one before has gone. Closes `writeEnd`; answers the
    // error number of what failed, or 0.
    int feedFromTheSide(int writeEnd, const QByteArray& bytes)
    {
        const long openMost = ::sysconf(_SC_OPEN_MAX);
        const pid_t middle = ::fork();
        if (middle == 0) {
            // Twice, so that the writer is nobody's child here and nothing
            // waits to reap it. Only calls safe after a fork from here on.
            if (::fork() != 0)
                ::_exit(0);
            ::setsid();
            // Nothing the program holds goes along: a display connection kept
            // open would keep the window's traces alive.
            ::dup2(writeEnd, 0);
            if (::syscall(SYS_close_range, 1U, ~0U, 0U) != 0) {
                for (long fd = 1; fd < openMost; ++fd)
                    ::close(int(fd));
            }
            ::_exit(writeAll(0, bytes) == 0 ? 0 : 1);
        }
        const int error = middle < 0 ? errno : 0;
        ::close(writeEnd);
        int status = 0;
        while (middle > 0 && ::waitpid(middle, &status, 0) < 0 && errno == EINTR) { }
        return error;
    }

} // namespace

int spawn(qint64* pid, const QString& program, const QStringList& arguments, int errorFd)
{
    return spawnWith(pid, program, arguments, SpawnSetup { {}, -1, errorFd, false });
}

QString startReading(const QString& program, const QByteArray& name, const QStringList& arguments,
    const QByteArray& input, qint64* started, InputRoute firstRoute)
{
    int pipeEnds[2] = { -1, -1 };
    int inputFd = unnamedInput(input, firstRoute);
    if (inputFd < 0) {
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        inputFd = pipeEnds[0];
        ::fcntl(pipeEnds[1], F_SETPIPE_SZ, int(qMin<qsizetype>(input.size(), 1 << 20)));
    }
    qint64 pid = 0;
    const int result = spawnWith(&pid, program, arguments, SpawnSetup { name, inputFd, -1, true });
    ::close(inputFd);
    QString why = result == 0 ? QString() : QString::fromLocal8Bit(std::strerror(result));
    if (pipeEnds[1] >= 0) {
        // What the pipe holds at once goes from here; more would wait on the
        // reader, which takes a page only when the one before has gone.
        const bool fits = input.size() <= ::fcntl(pipeEnds[1], F_GETPIPE_SZ);
        int error = 0;
        if (result != 0)
            ::close(pipeEnds[1]);
        else if (fits) {
            error = writeAll(pipeEnds[1], input);
            ::close(pipeEnds[1]);
        } else
            error = feedFromTheSide(pipeEnds[1], input);
        if (error)
            why = QString::fromLocal8Bit(std::strerror(error));
    }
    if (result == 0 && started)
        *started = pid;
    return why;
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

QString runningExecutableFolder()
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return program.isEmpty() ? QString() : QFileInfo(program).path();
}

qint64 readStandardInput(char* buffer, qint64 size)
{
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, size_t(size));
        if (got >= 0 || errno != EINTR)
            return got < 0 ? -1 : qint64(got);
    }
}

void nameThisProcess(const char* name) { ::prctl(PR_SET_NAME, name, 0, 0, 0); }

void ignoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

void endNow(int status)
{
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);
}

} // namespace quillmoor::os
