// The saved list's bulk edits through the real handlers and the real list,
// laid out and painted: a paste of 100,000 clipboard lines and an import of
// a file of 1,000,000 lines. Each is one handler run, which the window spends
// without answering; the heap memory the list and its undo step hold
// afterwards is reported per entry. Another copy's change of a few rows is
// taken into a list of 100,000. `quillmoor --import` of a 1,000,000-line
// and of a 100 MB file (and of a bookmarks file of 100,000 results pages)
// runs in a process of its own, and the most memory it
// took beyond what that process held before is reported.
//   build/bin/list_edits_bench
#include "Application.h"
#include "ListView.h"
#include "SearchListModel.h"
#include "SearchesCommand.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillmoor;

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// Lines as saved searches look, with a blank line now and then.
QString searchLines(int count)
{
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("road bike %1 site:city%2.listora.org\r\n").arg(i % 50).arg(i);
        if (i % 1000 == 0)
            text += QStringLiteral("\r\n");
    }
    return text;
}

// Bytes the heap hands out right now, whatever the process keeps mapped:
// the growth is what an edit holds on to.
double heapInUse()
{
    const struct mallinfo2 heap = mallinfo2();
    return double(heap.uordblks + heap.hblkhd);
}

std::unique_ptr<Application> window()
{
    QFile cities(workDir().filePath(QStringLiteral("list.txt")));
    if (!cities.open(QIODevice::WriteOnly) || cities.write("http://boston.listora.org/,Boston,Massachusetts\r\n") < 0)
        qFatal("cannot write list.txt");
    cities.close();
    Platform p;
    p.showMessage = [](const QString&, const QString& text) { qFatal("unexpected report: %s", qPrintable(text)); };
    p.openUrl = [](const QUrl&, const QString&, int) {};
    p.drawLottery = [] { return 100; };
    p.applicationFolder = workDir().path();
    p.settingsFile = workDir().filePath(QStringLiteral("settings.ini"));
    auto app = std::make_unique<Application>(std::move(p));
    app->Form_Load();
    app->form().show();
    QCoreApplication::processEvents();
    return app;
}

// Runs `edit` on an empty list each time and checks it added `lines` entries.
template <class Edit> void bulkEdit(benchmark::State& state, int lines, Edit&& edit)
{
    const auto app = window();
    SearchListModel& list = app->searches();
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        list.clear();
        app->undoStack().clear();
        QCoreApplication::processEvents();
        const double before = heapInUse();
        state.ResumeTiming();
        edit(*app);
        QCoreApplication::processEvents();
        state.PauseTiming();
        grown = heapInUse() - before;
        state.ResumeTiming();
    }
    if (list.count() != lines || !app->undoStack().canUndo())
        state.SkipWithError("not every line became an entry in one undo step");
    state.counters["entries"] = double(list.count());
    state.counters["bytes_per_entry"] = grown / double(lines);
}

void Paste(benchmark::State& state)
{
    const int lines = int(state.range(0));
    QGuiApplication::clipboard()->setText(searchLines(lines));
    bulkEdit(state, lines, [](Application& app) { app.editing().paste(); });
}

void Import(benchmark::State& state)
{
    const int lines = int(state.range(0));
    const QString path = workDir().filePath(QStringLiteral("import-%1.txt").arg(lines));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(searchLines(lines).toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    bulkEdit(state, lines, [&](Application& app) {
        app.editing().askImportFile = [&] { return path; };
        app.editing().importSearches();
    });
}

// Another copy's change of three rows (a paste in the middle, a delete near
// the top, an edit near the end) taken into a list of range(0) rows shown in
// the window, then taken back out: the window's thread spends this on each
// take-in, the diff and the view's update with it. The selection must stay.
void takeIn(benchmark::State& state, int scattered)
{
    const int rows = int(state.range(0));
    const auto app = window();
    SearchListModel& list = app->searches();
    QStringList mine;
    QStringList theirs;
    for (int i = 0; i < rows; ++i) {
        mine << QStringLiteral("road bike %1 site:city%2.listora.org").arg(i % 50).arg(i);
        // Read from the file, the other copy's texts are texts of their own.
        theirs << QString::fromUtf8(mine.last().toUtf8());
    }
    theirs.insert(rows / 2, QStringLiteral("pasted site:elsewhere.listora.org"));
    theirs.removeAt(rows / 10);
    theirs[rows - 5] = QStringLiteral("edited site:city.listora.org");
    // Rows removed all over the list, as another copy's Remove Duplicates.
    for (int i = 1; i <= scattered; ++i)
        theirs.removeAt(qsizetype(i) * rows / (scattered + 1) - i);
    list.restore(mine);
    ListView& shown = *app->form().savedList;
    shown.selectRow(rows / 3);
    const QString selected = mine.at(rows / 3);
    QCoreApplication::processEvents();
    bool theirsShown = false;
    for (auto _ : state) {
        list.takeIn(theirsShown ? mine : theirs);
        QCoreApplication::processEvents();
        theirsShown = !theirsShown;
    }
    const QList<qsizetype> picked = shown.selectedRows();
    if (scattered == 0 && (picked.size() != 1 || shown.itemText(picked.first()) != selected))
        state.SkipWithError("the selection did not stay");
}

void TakeIn(benchmark::State& state) { takeIn(state, 0); }
// The same with 500 more rows removed all over the list: the diff's
// bound on its comparisons keeps it short.
void TakeInScattered(benchmark::State& state) { takeIn(state, 500); }

// Writes lines as searchLines() makes them until there are `lines` of them
// or the file holds `bytes`; answers its size.
qint64 writeSearchLines(const QString& path, qint64 lines, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    for (qint64 i = 0; i < lines && file.size() < bytes; i += 1000) {
        const QString some = searchLines(int(qMin<qint64>(1000, lines - i)));
        file.write(some.toUtf8());
    }
    return file.size();
}

// One of the process's memory figures in /proc/self/status, in bytes.
double memoryFigure(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(int(std::strlen(name)) + 1).trimmed().split(' ').first().toDouble() * 1024;
    }
    return -1;
}

// Runs `quillmoor --import path` as the program does, in a child process of
// its own whose high-water mark of resident memory is first set to what it
// holds; answers how far the import raised it, or -1 when it failed.
double importPeak(const QString& settings, const QString& path)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ends[0]);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1);
        const int marks = ::open("/proc/self/clear_refs", O_WRONLY);
        const bool reset = marks >= 0 && ::write(marks, "5", 1) == 1;
        const double before = memoryFigure("VmRSS:");
        const int status = importSearches(settings, path);
        const double grown = reset && status == 0 ? memoryFigure("VmHWM:") - before : -1;
        const bool told = ::write(ends[1], &grown, sizeof grown) == sizeof grown;
        ::_exit(told ? 0 : 1);
    }
    ::close(ends[1]);
    double grown = -1;
    if (pid < 0 || ::read(ends[0], &grown, sizeof grown) != sizeof grown)
        grown = -1;
    ::close(ends[0]);
    if (pid > 0)
        ::waitpid(pid, nullptr, 0);
    return grown;
}

// `quillmoor --import` into a settings file of its own, empty at each run.
void importCommand(benchmark::State& state, qint64 lines, qint64 bytes)
{
    const QString path = workDir().filePath(QStringLiteral("command-%1-%2.txt").arg(lines).arg(bytes));
    const qint64 size = writeSearchLines(path, lines, bytes);
    const QString config = workDir().filePath(QStringLiteral("command-config"));
    const QString settings = config + QStringLiteral("/Marrowfen.ini");
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QDir(config).removeRecursively();
        state.ResumeTiming();
        const double grown = importPeak(settings, path);
        peak = grown < 0 || peak < 0 ? -1 : qMax(peak, grown);
    }
    if (peak < 0)
        state.SkipWithError("the import failed");
    state.counters["file_MB"] = double(size) / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_per_file_byte"] = peak / double(size);
}

// A browser's bookmarks file of `count` results pages in folders of 100,
// about 200 bytes a bookmark as browsers write them.
QString writeBookmarks(int count)
{
    const QString path = workDir().filePath(QStringLiteral("bookmarks-%1.html").arg(count));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
               "charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n");
    for (int i = 0; i < count; ++i) {
        if (i % 100 == 0)
            file.write(QStringLiteral("%1    <DT><H3 ADD_DATE=\"1700000000\">Hunt %2</H3>\n    <DL><p>\n")
                           .arg(i > 0 ? QStringLiteral("    </DL><p>\n") : QString())
                           .arg(i / 100)
                           .toUtf8());
        file.write(QStringLiteral("        <DT><A HREF=\"https://www.google.com/search?q=road+bike+%1+site%%3Acity%2"
                                  ".listora.org&amp;tbs=qdr:w\" ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000000\">road bike %1 "
                                  "&ndash; City %2</A>\n")
                       .arg(i % 977)
                       .arg(i)
                       .toUtf8());
    }
    file.write("    </DL><p>\n</DL><p>\n");
    return path;
}

// `quillmoor --import` of a bookmarks file, into a settings file of its own.
void ImportCommandBookmarks(benchmark::State& state)
{
    const QString path = writeBookmarks(int(state.range(0)));
    const QString config = workDir().filePath(QStringLiteral("bookmarks-config"));
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QDir(config).removeRecursively();
        state.ResumeTiming();
        const double grown = importPeak(config + QStringLiteral("/Marrowfen.ini"), path);
        peak = grown < 0 || peak < 0 ? -1 : qMax(peak, grown);
    }
    if (peak < 0)
        state.SkipWithError("the import failed");
    state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_per_file_byte"] = peak / double(QFileInfo(path).size());
}

void ImportCommandLines(benchmark::State& state)
{
    importCommand(state, state.range(0), std::numeric_limits<qint64>::max());
}

void ImportCommandMegabytes(benchmark::State& state)
{
    importCommand(state, std::numeric_limits<qint64>::max(), state.range(0) * 1000 * 1000);
}

} // namespace

BENCHMARK(Paste)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(TakeIn)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(TakeInScattered)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Import)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportCommandLines)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ImportCommandMegabytes)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ImportCommandBookmarks)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
