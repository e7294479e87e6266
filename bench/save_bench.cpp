// Saving the list as the user goes: one save of 1,000, 100,000 and 1,000,000
// entries through the careful, locked, merging save, from an edit of the
// saved list's model (shown in the real list view) to the file synced, and the longest time the window's
// thread is busy meanwhile: a timer ticks on it every millisecond, and the
// most processor time the thread spends between two ticks is the longest
// the window could not answer (window_busy_ms). The longest gap between two
// ticks (window_gap_ms) adds the time others' work on the machine held it.
// Also what taking in another copy's change costs the window's thread, and
// writing a backup, at 100,000 entries.
//   build/bin/save_bench
#include "Backups.h"
#include "ListView.h"
#include "OpenedRecord.h"
#include "OpenedTimes.h"
#include "SearchListModel.h"
#include "SearchMerge.h"
#include "SearchSaver.h"
#include "SearchStore.h"
#include "SettingsKeys.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <ctime>

using namespace quillmoor;

namespace {

// Processor time the calling thread has spent, in nanoseconds.
qint64 threadTime()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QStringList entryTexts(int entries)
{
    QStringList texts;
    for (int i = 0; i < entries; ++i)
        texts << QStringLiteral("road bike %1 site:city%2.listora.org").arg(i % 50).arg(i);
    return texts;
}

// With `opened` of the entries carrying the time they were opened, kept
// under a key of their own and merged with the file's at each save.
void saveAsYouGo(benchmark::State& state, int entries, int opened)
{
    QTemporaryDir dir;
    // The saved list as the window keeps and shows it.
    SearchListModel searches;
    searches.setCaption(QStringLiteral("Searches"));
    ListView view;
    view.setModel(&searches);
    const QStringList texts = entryTexts(entries);
    searches.restore(texts);
    OpenedRecord times;
    for (int i = 0; i < opened; ++i)
        times.insert(texts.at(i), 1796720000 + i);
    // The snapshot the window takes, with no wait after the change.
    SearchSaver saver(
        dir.filePath(QStringLiteral("Marrowfen.ini")),
        [&] {
            SearchSaver::Snapshot snapshot { searches.entries(), {}, {} };
            if (opened > 0)
                snapshot.merged.append(
                    { QStringLiteral("SearchesOpened"), [times](const QString& stored, const QStringList& entries) {
                         return mergedOpenedText(stored, times, entries);
                     } });
            return snapshot;
        },
        0);
    saver.begin(QString(), QString());
    QObject::connect(&searches, &SearchListModel::listChanged, &saver, &SearchSaver::changed);

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, lastBusy = 0;
    qint64 longestGap = 0, busiest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 busy = threadTime();
        longestGap = qMax(longestGap, now - lastTick);
        busiest = qMax(busiest, busy - lastBusy);
        lastTick = now;
        lastBusy = busy;
    });
    tick.start(1);
    bool failed = false;
    QObject::connect(&saver, &SearchSaver::failed, [&] { failed = true; });
    bool grow = true;
    for (auto _ : state) {
        // An entry added or taken away, as an edit does.
        QEventLoop loop;
        QObject::connect(&saver, &SearchSaver::finished, &loop, &QEventLoop::quit);
        if (grow)
            searches.append({ QStringLiteral("one more site:boston.listora.org") });
        else
            searches.remove({ searches.count() - 1 });
        grow = !grow;
        // The edit's own work is the edit's; what follows is the save's.
        lastTick = clock.nsecsElapsed();
        lastBusy = threadTime();
        loop.exec();
    }
    if (failed)
        state.SkipWithError("a save failed");
    state.counters["window_busy_ms"] = double(busiest) / 1e6;
    state.counters["window_gap_ms"] = double(longestGap) / 1e6;
}

// Taking in another copy's save on the window's thread: the three-way merge
// with the list shown, and the list view told of the rows that went and
// came (one taken away near the top, one added at the end).
void TakeInOthersChange(benchmark::State& state)
{
    const QStringList from = entryTexts(int(state.range(0)));
    SearchListModel searches;
    ListView view;
    view.setModel(&searches);
    for (auto _ : state) {
        state.PauseTiming();
        searches.clear();
        searches.restore(from);
        QStringList stored = from;
        stored.removeAt(3);
        stored << QStringLiteral("from another copy site:boston.listora.org");
        state.ResumeTiming();
        const QStringList merged = mergeSearches(from, searches.entries(), stored);
        searches.takeIn(merged);
        benchmark::DoNotOptimize(searches.count());
    }
}

// A backup of the list, as the day's first save or a Clear All keeps one.
void KeepBackup(benchmark::State& state)
{
    const QStringList entries = entryTexts(int(state.range(0)));
    QTemporaryDir dir;
    int minute = 0;
    for (auto _ : state)
        keepBackup(dir.path(), entries, QDateTime(QDate(2026, 1, 1), QTime(0, 0)).addSecs(60 * minute++));
}

void SaveAsYouGo(benchmark::State& state) { saveAsYouGo(state, int(state.range(0)), 0); }

// The same save where searches were opened: the second number is how many.
void SaveWithOpenedTimes(benchmark::State& state) { saveAsYouGo(state, int(state.range(0)), int(state.range(1))); }

// The merge alone, on the saver's thread: `range(0)` entries, all with a
// time in the file, `range(1)` of them opened again in this copy.
void MergeOpenedTimes(benchmark::State& state)
{
    const QStringList texts = entryTexts(int(state.range(0)));
    OpenedRecord all, own;
    for (int i = 0; i < texts.size(); ++i) {
        all.insert(texts.at(i), 1796720000 + i);
        if (i < state.range(1))
            own.insert(texts.at(i), 1796800000 + i);
    }
    const QString stored = mergedOpenedText(QString(), all, texts);
    for (auto _ : state)
        benchmark::DoNotOptimize(mergedOpenedText(stored, own, texts));
}

// The times of `range(0)` searches read from the file, as the start reads
// them before the window shows.
void ReadOpenedTimes(benchmark::State& state)
{
    const QStringList texts = entryTexts(int(state.range(0)));
    OpenedRecord all;
    for (int i = 0; i < texts.size(); ++i)
        all.insert(texts.at(i), 1796720000 + i);
    const QString stored = mergedOpenedText(QString(), all, texts);
    for (auto _ : state) {
        OpenedTimes times;
        times.take(openedRecordFromText(stored));
        benchmark::DoNotOptimize(times.of(texts.constFirst()));
    }
}

// One search saved into a settings file that holds `range(0)` keys of another
// program's section (with `range(1)` its header missing its "]"), as one
// `--import` of a one-line file saves it. The file is written afresh, not
// timed, before each save.
void SaveBesideOtherKeys(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Marrowfen.ini"));
    QByteArray others = state.range(1) ? "[Other\n" : "[Other]\n";
    for (int i = 0; i < state.range(0); ++i)
        others += "key" + QByteArray::number(i) + "=value " + QByteArray::number(i) + '\n';
    const auto compose
        = [](const QStringList&) { return QStringList { QStringLiteral("bike site:boston.listora.org") }; };
    for (auto _ : state) {
        state.PauseTiming();
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(others) != others.size())
            state.SkipWithError("the settings file could not be written");
        out.close();
        state.ResumeTiming();
        SaveSettings(file, settings::kSection, { settings::kSearches }, compose);
    }
}

} // namespace

BENCHMARK(SaveBesideOtherKeys)->Args({ 40000, 0 })->Args({ 40000, 1 })->Unit(benchmark::kMillisecond);
BENCHMARK(TakeInOthersChange)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(KeepBackup)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(MergeOpenedTimes)
    ->Args({ 100000, 100000 })
    ->Args({ 1000000, 1000000 })
    ->Args({ 1000000, 1000 })
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ReadOpenedTimes)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveAsYouGo)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SaveWithOpenedTimes)
    ->Args({ 100000, 1000 })
    ->Args({ 100000, 100000 })
    ->Args({ 1000000, 1000000 })
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
