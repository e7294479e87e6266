// The saved list's bulk edits through the real handlers and the real list,
// laid out and painted: a paste of 100,000 clipboard lines and an import of
// a file of 1,000,000 lines. Each is one handler run, which the window spends
// without answering; the heap memory the list and its undo step hold
// afterwards is reported per entry.
//   build/bin/list_edits_bench
#include "Application.h"
#include "SearchListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

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

} // namespace

BENCHMARK(Paste)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Import)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
