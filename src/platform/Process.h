#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace quillmoor::os {

// Processes started and watched without a shell. Descriptors are plain ints;
// -1 stands for none.

// An unnamed file: it goes with the last descriptor, so nothing is left
// behind however long a process writes to it. -1 when none can be made.
int unnamedFile();

// The last lines that say something in the file behind `fd`, at most
// `most` of them, in their order; blank lines are passed over.
QStringList lastLines(int fd, int most);

// Starts `program` with `arguments`: its input and output go nowhere, its
// error output to `errorFd` (nowhere when -1), nothing else the program holds
// goes along, and SIGPIPE is back at its default. Answers 0 and sets `pid`,
// or answers the error number.
int spawn(qint64* pid, const QString& program, const QStringList& arguments, int errorFd);

// The ways startReading() gives a process its input, best first: an unnamed
// file in memory, an unnamed file on disk, a pipe fed from the side. Each
// takes all at once, so the caller never waits on the reader.
enum class InputRoute { MemoryFile, UnnamedFile, Pipe };

// Starts `program`, called `name` (its argv[0]), with `arguments`, reading
// `input` on its standard input, in a session and folder ("/") of its own,
// its output going nowhere. Answers why it could not, or nothing, and sets
// `started` to its id. The routes are tried from `firstRoute` on, as a
// system without the better ones would.
QString startReading(const QString& program, const QByteArray& name, const QStringList& arguments,
    const QByteArray& input, qint64* started, InputRoute firstRoute = InputRoute::MemoryFile);

// A descriptor that becomes readable when process `pid` ends, or -1 where
// the system offers none.
int processDescriptor(qint64 pid);

// How a child process ended.
struct ChildEnd {
    bool reaped = false; // false when it could not be waited for (not ours)
    int signal = 0; // the signal that ended it, or 0
    int status = 0; // its exit status
};

// Reaps child `pid` when it has ended; nothing while it runs.
std::optional<ChildEnd> reapChild(qint64 pid);

// Whether process `pid`, not a child of ours, has gone.
bool processGone(qint64 pid);

// Reaps the children of `pids` that have ended and drops them.
void reapEnded(QList<qint64>& pids);

void closeDescriptor(int& fd);

// This very program, even when an upgrade has removed or replaced its file
// since it started; else the path it was started from.
QString runningExecutable();
// The folder of the program's own file, its links resolved, as
// QCoreApplication::applicationDirPath() finds it, but before there is an
// application object; empty where the system does not say.
QString runningExecutableFolder();

// Reads what standard input has, up to `size` bytes: 0 at its end, -1 when
// it cannot be read.
qint64 readStandardInput(char* buffer, qint64 size);

// The name ps and top show for this process.
void nameThisProcess(const char* name);

// A write to a pipe nobody reads any more fails instead of ending the
// program.
void ignoreBrokenPipes();

// Ends the process at once with `status`, after flushing standard output and
// error: no destructors run, no atexit handler.
[[noreturn]] void endNow(int status);

} // namespace quillmoor::os
