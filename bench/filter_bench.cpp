// One filter keystroke through the real handler and the real list, next to
// the bare cost of reading and splitting the same list.txt; a keystroke in
// Quick Find and in the search box's offer of saved texts, over 100,000
// saved searches.
//   build/bin/filter_bench
#include "Application.h"
#include "ListView.h"
#include "LocationFile.h"
#include "LocationLine.h"
#include "NearbyMenu.h"

#include "FindBar.h"

#include <QApplication>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <random>

using namespace quillmoor;

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// The code pages a list.txt may come in.
enum Encoding { Utf8 = 0, Windows1252 = 1, Utf16 = 2 };

// A folder holding a list.txt of `lines` cities in `encoding`, made once per
// size and code page. The Windows-1252 list has an accented name on its
// first line, as real ones have; the others are plain ASCII text. With
// `positions` every city carries one, scattered over a square of ten by ten
// degrees (about 1,100 by 850 km) in the north-east of the United States.
QString folderWith(int lines, int encoding = Utf8, bool positions = false)
{
    const QString folder
        = workDir().filePath(QStringLiteral("%1-%2%3").arg(lines).arg(encoding).arg(positions ? "p" : ""));
    if (!QFile::exists(folder + QStringLiteral("/list.txt"))) {
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/list.txt"));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write list.txt");
        std::mt19937 random(lines);
        std::uniform_real_distribution<double> degrees(0, 10);
        QString text;
        for (int i = 0; i < lines; ++i) {
            text += QStringLiteral("http://city%1.listora.org/,City Number %1,%3 %2")
                        .arg(i)
                        .arg(i % 97)
                        .arg(i == 0 && encoding == Windows1252 ? QStringLiteral("R\u00E9gion")
                                                               : QStringLiteral("Region"));
            if (positions)
                text += QStringLiteral(",%1 %2")
                            .arg(35 + degrees(random), 0, 'f', 5)
                            .arg(-80 + degrees(random), 0, 'f', 5);
            text += QStringLiteral("\r\n");
        }
        if (encoding == Windows1252)
            file.write(QStringEncoder("windows-1252").encode(text));
        else if (encoding == Utf16)
            file.write(QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom).encode(text));
        else
            file.write(text.toUtf8());
    }
    return folder;
}

Platform quietPlatform(const QString& folder)
{
    Platform p;
    p.showMessage = [](const QString&, const QString& text) { qFatal("unexpected report: %s", qPrintable(text)); };
    p.openUrl = [](const QUrl&, const QString&, int) {};
    p.drawLottery = [] { return 1; };
    p.applicationFolder = folder;
    // As for a user without a list of their own: every read looks for it first.
    p.userDataFolder = workDir().filePath(QStringLiteral("data"));
    p.settingsFile = workDir().filePath(QStringLiteral("settings.ini"));
    return p;
}

void FilterKeystroke(benchmark::State& state)
{
    const int lines = int(state.range(0));
    Application app(quietPlatform(folderWith(lines, int(state.range(1)))));
    app.Form_Load();
    app.form().show();
    QCoreApplication::processEvents();
    // Every keystroke matches every line: the most a rebuild can cost.
    const QString texts[] = { QStringLiteral("city"), QStringLiteral("cit") };
    int i = 0;
    for (auto _ : state) {
        app.form().filterBox->setText(texts[i++ % 2]);
        QCoreApplication::processEvents(); // lay out and paint the rebuilt list
    }
    if (app.form().cityList->count() != lines)
        state.SkipWithError("the filter lost lines");
    state.counters["lines"] = lines;
}

// "Add Search" with every listed city selected: one search per city through
// the real handler into the real saved-search list, laid out and painted.
void AddSearch(benchmark::State& state)
{
    const int cities = int(state.range(0));
    Application app(quietPlatform(folderWith(cities)));
    app.Form_Load();
    app.form().show();
    app.form().cityList->selectAll();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        app.searches().clear();
        app.form().searchTextBox->setText(QStringLiteral("road bike"));
        QCoreApplication::processEvents();
        state.ResumeTiming();
        app.form().addSearchButton->click();
        QCoreApplication::processEvents();
    }
    if (app.form().savedList->count() != cities)
        state.SkipWithError("not one search per city");
    state.counters["cities"] = cities;
}

// "Select Cities Within 200 km" chosen in the location list's menu, through
// the real handler and list: the filter is emptied, the whole list shown
// again and about an eighth of it selected, scattered over the list, laid
// out and painted.
void SelectNearby(benchmark::State& state)
{
    const int lines = int(state.range(0));
    Application app(quietPlatform(folderWith(lines, Utf8, true)));
    app.Form_Load();
    Form1& form = app.form();
    form.show();
    QCoreApplication::processEvents();
    QWidget* viewport = form.cityList->viewport();
    for (auto _ : state) {
        state.PauseTiming();
        // The menu of a city the filter narrowed the list to.
        form.filterBox->setText(QStringLiteral("city number 5000"));
        form.cityList->selectRow(0);
        const QPoint at = form.cityList->visualRect(form.cityList->model()->index(0, 1)).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &click);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        form.nearbyMenu->actions().at(2)->trigger();
        QCoreApplication::processEvents();
    }
    const qsizetype selected = form.cityList->selectedRows().size();
    if (form.cityList->count() != lines || selected < lines / 20)
        state.SkipWithError("the list or the selection is wrong");
    state.counters["selected"] = double(selected);
}

// A window whose saved list holds `count` searches, each with a text of its
// own: one in ten about bikes.
std::unique_ptr<Application> savedSearches(int count)
{
    auto app = std::make_unique<Application>(quietPlatform(folderWith(1000)));
    app->Form_Load();
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries << QStringLiteral("%1 %2 site:city%3.listora.org")
                       .arg(i % 10 == 0 ? QStringLiteral("bike") : QStringLiteral("sofa"))
                       .arg(i)
                       .arg(i % 1000);
    // Whatever the window before kept at its close goes.
    app->searches().clear();
    app->searches().restore(entries);
    app->form().show();
    QCoreApplication::processEvents();
    return app;
}

// A keystroke in Quick Find over the saved list, through the real box and
// list, laid out and painted: a "k" (only the bikes hold one) hides nine
// rows in ten, and the BackSpace after it shows them again.
void FindKeystroke(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto app = savedSearches(count);
    Form1& form = app->form();
    form.savedListFind->open();
    QLineEdit* box = form.savedListFind->box();
    bool narrowed = false;
    for (auto _ : state) {
        if (narrowed)
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClicks(box, QStringLiteral("k"));
        QCoreApplication::processEvents();
        narrowed = !narrowed;
    }
    QTest::keyClicks(box, narrowed ? QString() : QStringLiteral("k"));
    if (form.savedList->shownRows().size() != count / 10)
        state.SkipWithError("the find kept the wrong rows");
    state.counters["searches"] = count;
}

// Switching to a list of `count` searches from a short one, as a tab or
// Ctrl+Page Down does, laid out and painted; the switch back is not timed.
void SwitchToList(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto app = savedSearches(count);
    app->lists().insert(1, QStringLiteral("Futon"), { QStringLiteral("futon site:city1.listora.org") });
    for (auto _ : state) {
        state.PauseTiming();
        app->lists().show(1);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        app->lists().show(0);
        QCoreApplication::processEvents();
    }
    if (app->form().savedList->count() != count)
        state.SkipWithError("the list shown is not the long one");
    state.counters["searches"] = count;
}

// A keystroke in the search box while the saved texts are offered (all
// 100,000 differ): "bike 1" narrows the offer, the BackSpace widens it.
void CompletionKeystroke(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto app = savedSearches(count);
    QLineEdit* box = app->form().searchTextBox;
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("bike "));
    QCoreApplication::processEvents();
    bool narrowed = false;
    for (auto _ : state) {
        if (narrowed)
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClicks(box, QStringLiteral("1"));
        QCoreApplication::processEvents();
        narrowed = !narrowed;
    }
    if (box->completer()->completionCount() < 1)
        state.SkipWithError("nothing offered");
    state.counters["searches"] = count;
}

void ReadAndSplit(benchmark::State& state)
{
    const int lines = int(state.range(0));
    const QString path = LocationFile::pathIn(folderWith(lines, int(state.range(1))));
    for (auto _ : state) {
        LocationFile file(path);
        qsizetype fields = 0;
        file.forEachLocation(
            {}, [&](const LocationLine& location) { fields += location.address.size(); }, [&] { fields = 0; });
        benchmark::DoNotOptimize(fields);
    }
    state.counters["lines"] = lines;
}

// A list.txt of `mib` MiB, made once: short city lines, or the same number
// of bytes in one line whose addition runs to the end of the file.
QString sizedList(int mib, bool oneLine)
{
    const QString path = workDir().filePath(QStringLiteral("%1-%2.txt").arg(oneLine ? "long" : "short").arg(mib));
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        const qint64 size = qint64(mib) << 20;
        QByteArray bytes;
        bytes.reserve(size);
        for (int i = 0; !oneLine && bytes.size() + 200 < size; ++i)
            bytes += QStringLiteral("http://city%1.listora.org/,City Number %1,Region %2\r\n")
                         .arg(i)
                         .arg(i % 97)
                         .toLatin1();
        // The last line makes up the size exactly.
        bytes += "http://last.listora.org/,Last,";
        bytes += QByteArray(size - bytes.size() - 2, 'a') + "\r\n";
        file.write(bytes);
    }
    return path;
}

// Loads the whole file into rows as start-up does; the rows keep its text.
void loadSized(benchmark::State& state, bool oneLine)
{
    const QString path = sizedList(int(state.range(0)), oneLine);
    qsizetype rows = 0;
    for (auto _ : state) {
        ItemBatch batch;
        LocationFile file(path);
        if (file.read({}, batch))
            state.SkipWithError("the list has a fault");
        rows = batch.size();
    }
    state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
    state.counters["lines"] = double(rows);
}

// The same number of bytes should cost about the same, however long the lines.
void ReadLongLine(benchmark::State& state) { loadSized(state, true); }
void ReadShortLines(benchmark::State& state) { loadSized(state, false); }

} // namespace

BENCHMARK(ReadLongLine)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadShortLines)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);
// The list sizes, and the code page as the second argument: 0 UTF-8,
// 1 Windows-1252, 2 UTF-16.
void listSizes(benchmark::internal::Benchmark* b)
{
    b->Args({ 1000, Utf8 })
        ->Args({ 10000, Utf8 })
        ->Args({ 100000, Utf8 })
        ->Args({ 100000, Windows1252 })
        ->Args({ 100000, Utf16 })
        ->Unit(benchmark::kMillisecond);
}
BENCHMARK(FilterKeystroke)->Apply(listSizes);
BENCHMARK(AddSearch)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(SelectNearby)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAndSplit)->Apply(listSizes);
BENCHMARK(FindKeystroke)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(SwitchToList)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(CompletionKeystroke)->Arg(100000)->Unit(benchmark::kMillisecond);
