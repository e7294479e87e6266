#include "LauncherProcess.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quillmoor {

namespace {

    // An unnamed file: it goes with the last descriptor, the launcher's, so
    // nothing is left behind however long the launcher writes to it.
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
        // The first line that says something; one longer than what was read
        // (a launcher that echoes a long address) is quoted as far as read.
        for (const QByteArray& line : QByteArray(bytes, int(count)).split('\n')) {
            const QString said = QString::fromLocal8Bit(line).trimmed();
            if (!said.isEmpty())
                return said;
        }
        return QString();
    }

    // How a process is started beyond its program and arguments.
    struct SpawnSetup {
        QByteArray name; // its argv[0]; the program's path when empty
        int inputFd = -1; // its standard input; nothing to read when -1
        int errorFd = -1; // its error output; nowhere when -1
        bool ownSession = false; // in a session and folder of its own, "/"
    };

    int spawn(pid_t* pid, const QByteArray& program, QList<QByteArray> arguments, const SpawnSetup& setup)
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
        QByteArray path = program;
        QByteArray name = setup.name.isEmpty() ? program : setup.name;
        std::vector<char*> argv { name.data() };
        for (QByteArray& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const int result = ::posix_spawn(pid, path.constData(), &files, &attributes, argv.data(), environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&files);
        return result;
    }

    // All of `bytes` to `fd`, as far as it takes them.
    bool writeAll(int fd, const QByteArray& bytes)
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0)
                return false;
            done += wrote;
        }
        return true;
    }

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

    // An unnamed file in memory holding `bytes`, read from its start.
    int memoryFile(const QByteArray& bytes)
    {
        const int fd = ::memfd_create("quillmoor-pages", MFD_CLOEXEC);
        if (fd >= 0 && writeAll(fd, bytes) && ::lseek(fd, 0, SEEK_SET) == 0)
            return fd;
        if (fd >= 0)
            ::close(fd);
        return -1;
    }

} // namespace

LauncherProcess::LauncherProcess(const QString& program, const QStringList& arguments, QObject* parent)
    : QObject(parent)
{
    errorFd_ = unnamedFile();
    QList<QByteArray> encoded;
    for (const QString& argument : arguments)
        encoded << argument.toLocal8Bit();
    pid_t pid = 0;
    const int result = spawn(&pid, QFile::encodeName(program), encoded, SpawnSetup { {}, -1, errorFd_, false });
    if (result != 0) {
        startError_ = tr("%1 could not be started: %2").arg(program, QString::fromLocal8Bit(std::strerror(result)));
        letGo();
        return;
    }
    pid_ = pid;
    watch();
}

LauncherProcess::LauncherProcess(qint64 pid, QObject* parent)
    : QObject(parent)
    , pid_(pid)
    , child_(false)
{
    watch();
}

LauncherProcess::~LauncherProcess() { letGo(); }

void LauncherProcess::watch()
{
    // A process descriptor tells at once when the process ends; without
    // one (an old kernel, no descriptor left) a short poll does.
    pidFd_ = int(::syscall(SYS_pidfd_open, pid_t(pid_), 0));
    if (pidFd_ >= 0) {
        notifier_ = new QSocketNotifier(pidFd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &LauncherProcess::check);
    } else {
        poll_ = new QTimer(this);
        connect(poll_, &QTimer::timeout, this, &LauncherProcess::check);
        poll_->start(50);
    }
}

void LauncherProcess::check()
{
    bool cleanly = true;
    QString message;
    if (child_) {
        int status = 0;
        const pid_t done = ::waitpid(pid_t(pid_), &status, WNOHANG);
        if (done == 0 || (done < 0 && errno == EINTR))
            return;
        if (done > 0 && WIFSIGNALED(status)) {
            cleanly = false;
            message = tr("the launcher ended on signal %1").arg(WTERMSIG(status));
        } else if (done > 0) {
            cleanly = WEXITSTATUS(status) == 0;
            message = firstLine(errorFd_);
        }
        pid_ = 0; // reaped
    } else if (::kill(pid_t(pid_), 0) == 0 || errno != ESRCH) {
        return;
    }
    letGo();
    emit ended(cleanly, message);
}

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

qint64 LauncherProcess::letGo()
{
    delete notifier_;
    notifier_ = nullptr;
    delete poll_;
    poll_ = nullptr;
    for (int* fd : { &pidFd_, &errorFd_ }) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    const qint64 unreaped = child_ ? pid_ : 0;
    pid_ = 0;
    return unreaped;
}

void LauncherProcess::reap(QList<qint64>& pids)
{
    pids.removeIf([](qint64 pid) {
        const pid_t done = ::waitpid(pid_t(pid), nullptr, WNOHANG);
        return done != 0 && !(done < 0 && errno == EINTR);
    });
}

} // namespace quillmoor

namespace quillmoor {

QString startReading(const QString& program, const QByteArray& name, const QStringList& arguments,
    const QByteArray& input, qint64* started)
{
    // Never a named file: a full, read-only or missing temporary folder
    // would lose the pages, and a name can be read or swapped by others.
    int pipeEnds[2] = { -1, -1 };
    int inputFd = memoryFile(input);
    if (inputFd < 0) {
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        inputFd = pipeEnds[0];
    }
    QList<QByteArray> encoded;
    for (const QString& argument : arguments)
        encoded << argument.toLocal8Bit();
    pid_t pid = 0;
    const int result = spawn(&pid, QFile::encodeName(program), encoded, SpawnSetup { name, inputFd, -1, true });
    ::close(inputFd);
    QString why = result == 0 ? QString() : QString::fromLocal8Bit(std::strerror(result));
    if (pipeEnds[1] >= 0) {
        // The process reads all of it before it starts a launcher.
        if (result == 0 && !writeAll(pipeEnds[1], input))
            why = QString::fromLocal8Bit(std::strerror(errno));
        ::close(pipeEnds[1]);
    }
    if (result == 0 && started)
        *started = pid;
    return why;
}

} // namespace quillmoor
