#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;
class QTimer;

namespace quillmoor {

// One browser launcher, started without a shell: its input and output go
// nowhere and its error output to an unnamed file, so nothing it writes
// reaches the terminal. `ended` comes once, when the process has ended.
//
// Neither letting it go nor destroying it kills the process (a launcher may
// have become the browser): both close the two descriptors it holds, and
// `letGo()` answers the process id, so the owner can reap it once it ends.
class LauncherProcess : public QObject {
    Q_OBJECT
public:
    // Starts `program` with `arguments`; startError() says why when it could
    // not start.
    LauncherProcess(const QString& program, const QStringList& arguments, QObject* parent = nullptr);
    // Watches process `pid`, started by another program, until it ends.
    LauncherProcess(qint64 pid, QObject* parent = nullptr);
    ~LauncherProcess() override;

    QString startError() const { return startError_; }
    // The process watched, until it ends or is let go; otherwise 0.
    qint64 pid() const { return pid_; }

    // Stops watching and closes what is held; answers the id of a child
    // still to be reaped, or 0.
    qint64 letGo();

    // Reaps the children of `pids` that have ended and drops them.
    static void reap(QList<qint64>& pids);

signals:
    void ended(bool cleanly, const QString& message);

private:
    void watch();
    void check();

    qint64 pid_ = 0;
    bool child_ = true;
    int pidFd_ = -1;
    int errorFd_ = -1;
    QString startError_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* poll_ = nullptr;
};

// Tells when children of the program have ended, from SIGCHLD: one watch,
// two descriptors in all, however many launchers were let go (a launcher
// that became the browser may never end, and must hold nothing meanwhile).
class ChildEndings : public QObject {
    Q_OBJECT
public:
    // The one watch, set up at the first call.
    static ChildEndings* instance();

signals:
    // Some child has ended since the last time; which ones, waitpid says.
    void ended();

private:
    ChildEndings();
    void drain();

    int readFd_ = -1;
};

// Starts `program`, called `name` (its argv[0]), with `arguments`, reading
// `input` on its standard input, in a session and folder ("/") of its own,
// its output going nowhere. Answers why it could not, or nothing, and sets
// `started` to its id.
QString startReading(const QString& program, const QByteArray& name, const QStringList& arguments,
    const QByteArray& input, qint64* started);

} // namespace quillmoor
