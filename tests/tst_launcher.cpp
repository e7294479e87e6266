// The queue that hands addresses to the browser launcher, with a stand-in
// launcher script on PATH that records what it is given.
#include "Application.h"
#include "HandOver.h"
#include "LauncherQueue.h"
#include "ListView.h"
#include "OpenedRecord.h"
#include "Process.h"
#include "SavedList.h"
#include "SearchMenu.h"
#include "TestSupport.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillmoor;

namespace {

struct Stand {
    QTemporaryDir dir;
    QStringList reports; // "Procedure:line description"
    LauncherQueue queue { [this](const QString& procedure, int line, const QString& description) {
        reports << procedure + u':' + QString::number(line) + u' ' + description;
    } };

    // A launcher that sleeps a varying time, fails for addresses holding
    // "fail" and hangs for those holding "hang", and logs each address it
    // took after its sleep, so a launch started too early shows as out of order;
    // its parent's name goes first, so it is there once the address is.
    Stand()
    {
        QFile script(dir.filePath(QStringLiteral("xdg-open")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\n"
                     "date +%s%N >>\"$(dirname \"$0\")/times\"\n"
                     "case \"$1\" in *hang*) sleep 30 ;; *never*) exec sleep 2 ;; esac\n"
                     "case \"$1\" in *stuck*) echo \"$1\" >>\"${0%/*}/started\"; sleep 5; echo x >>\"${0%/*}/ended\"; "
                     "exit ;; esac\n"
                     "sleep 0.0$(( ${#1} % 4 * 2 ))\n"
                     "case \"$1\" in *fail*) echo 'sh: warning: setlocale: LC_ALL: cannot change locale' >&2;"
                     " echo \"no method available for $1\" >&2; exit 3 ;; esac\n"
                     "case \"$1\" in *odd*) printf 'odd\\033[31m %s\\n' \"$1\" >&2; exit 4 ;; esac\n"
                     "case \"$1\" in *blank*) printf 'first\\n\\n  \\nnot taken\\n \\n' >&2; exit 5 ;; esac\n"
                     "cat /proc/$PPID/comm >>\"$(dirname \"$0\")/parents\"\n"
                     "printf '%s\\n' \"$1\" >>\"$(dirname \"$0\")/log\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", dir.path().toLocal8Bit() + ':' + qgetenv("PATH"));
    }
    QStringList log(const char* name = "log") const
    {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }
    // The gaps between the launchers' starts, in milliseconds.
    QList<qint64> gaps() const
    {
        QList<qint64> gaps;
        const QStringList started = log("times");
        for (qsizetype i = 1; i < started.size(); ++i)
            gaps << (started[i].toLongLong() - started[i - 1].toLongLong()) / 1000000;
        return gaps;
    }
    // The window's pages go through this stand's queue.
    void wire(Platform& platform)
    {
        platform.openUrl
            = [this](const QUrl& url, const QString& procedure, int line) { queue.open(url, procedure, line); };
        platform.launchesWaiting = [this] { return queue.waiting(); };
    }
    static QString address(const QString& what) { return QStringLiteral("https://engine.example/?q=") + what; }
    void open(const QStringList& what, const char* procedure = "PushButton6_Click", int line = 102)
    {
        for (const QString& w : what)
            queue.open(QUrl(address(w)), QString::fromLatin1(procedure), line);
    }
};

// The desktop's notification service, on a connection of its own to the
// private session bus the suite runs on: records what it is asked, and
// says when the user chose an action.
class NotificationsStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("stand-in"));
    QStringList shown; // "replaced-id summary [action keys]", in order
    QList<uint> closed;
    uint lastId = 0;
    bool start()
    {
        return bus.registerObject(
                   QStringLiteral("/org/freedesktop/Notifications"), this, QDBusConnection::ExportAllSlots)
            && bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    void choose(const QString& key)
    {
        QDBusMessage invoked = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        invoked << lastId << key;
        QVERIFY(bus.send(invoked));
    }
public slots:
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary, const QString&,
        const QStringList& actions, const QVariantMap&, int)
    {
        // A new notification gets the next id; replacing one keeps its id.
        QStringList keys;
        for (qsizetype i = 0; i < actions.size(); i += 2)
            keys << actions.at(i);
        shown << QStringLiteral("%1 %2 [%3]").arg(replaces).arg(summary, keys.join(u' '));
        return lastId = replaces ? replaces : uint(shown.size());
    }
    void CloseNotification(uint id) { closed << id; }
    QStringList GetCapabilities() { return { QStringLiteral("actions"), QStringLiteral("body") }; }
};

QStringList addresses(const QStringList& what)
{
    QStringList all;
    for (const QString& w : what)
        all << Stand::address(w);
    return all;
}

} // namespace

class LauncherTest : public QObject {
    Q_OBJECT

private slots:
    void handsOverInOrderWhileShowingBusy()
    {
        Stand s;
        QStringList what;
        for (int i = 0; i < 24; ++i)
            what << QStringLiteral("city%1").arg(i * 37);
        QList<bool> said;
        QObject::connect(&s.queue, &LauncherQueue::busyChanged, [&](bool busy) { said << busy; });
        s.open(what.mid(0, 12));
        QVERIFY(s.queue.busy());
        // More asked for while the first are handed over join the end, and
        // the queue stays busy throughout: one change each way.
        QTRY_VERIFY(!s.log().isEmpty());
        s.open(what.mid(12), "PushButton2_Click", 100);
        QTRY_COMPARE_WITH_TIMEOUT(s.log(), addresses(what), 20000);
        QTRY_VERIFY(!s.queue.busy());
        QCOMPARE(said, QList<bool>({ true, false }));
        QCOMPARE(s.reports, QStringList());
    }

    // At a pace each launcher starts that long after the one before.
    void pagesGoAtThePaceChosen()
    {
        Stand s;
        s.queue.setPaceMs(300);
        const QStringList what { QStringLiteral("p1"), QStringLiteral("p22"), QStringLiteral("p333") };
        s.open(what);
        QTRY_COMPARE_WITH_TIMEOUT(s.log(), addresses(what), 10000);
        for (const qint64 gap : s.gaps())
            // The launcher's own start varies by some milliseconds.
            QVERIFY2(gap >= 240 && gap < 1000, qPrintable(QString::number(gap)));
        QTRY_VERIFY(!s.queue.busy());
    }

    // Stop keeps what was not handed over, and Open the Rest opens exactly
    // that, in order; a press during a run adds only what it lacks; every
    // search handed over shows when.
    void stopThenOpenTheRest()
    {
        Stand s;
        s.queue.setGraceMs(300);
        test::FakeDesktop desktop;
        Platform platform = desktop.platform();
        s.wire(platform);
        platform.stopLaunches = [&] { s.queue.stop(); };
        platform.setLaunchPace = [&](int ms) { s.queue.setPaceMs(ms); };
        platform.watchHanded = [&](QObject* receiver, std::function<void(const QUrl&)> heard) {
            QObject::connect(&s.queue, &LauncherQueue::handed, receiver, std::move(heard));
        };
        Application app(platform);
        app.form().show();
        QVERIFY(QTest::qWaitForWindowActive(&app.form()));
        QStringList what;
        for (int i = 0; i < 6; ++i)
            what << QStringLiteral("s%1 site:c%1.org").arg(i);
        app.searches().append(what.mid(0, 5));
        app.form().searchMenu->paceMenu()->actions().at(1)->trigger(); // one a second
        QTest::mouseClick(app.form().openAllButton, Qt::LeftButton);
        // Again once the first has gone, with one more search, and the
        // first selected.
        QTRY_COMPARE_WITH_TIMEOUT(s.log().size(), 1, 5000);
        app.searches().append({ what[5] });
        app.form().savedList->selectRow(0);
        QTest::mouseClick(app.form().openSelectedButton, Qt::LeftButton);
        QTest::mouseClick(app.form().openAllButton, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(s.log().size(), 2, 5000);
        QTest::keyClick(&app.form(), Qt::Key_Escape);
        QVERIFY(app.form().openRestButton->isVisible());
        QVERIFY2(s.gaps().value(0) >= 940, qPrintable(QString::number(s.gaps().value(0))));
        QTest::qWait(1200);
        const qsizetype before = s.log().size();
        QVERIFY(before < 6);
        app.form().searchMenu->paceMenu()->actions().at(0)->trigger(); // as fast as it takes them
        QTest::mouseClick(app.form().openRestButton, Qt::LeftButton);
        QVERIFY(!app.form().openRestButton->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(s.log().size(), 6, 10000);
        QStringList urls;
        for (const QString& search : what)
            urls << QString::fromLatin1(app.openChoices().where().url(search).toEncoded());
        QCOMPARE(s.log(), urls);
        const QModelIndex first = app.form().savedList->model()->index(0, 0);
        QVERIFY(first.data(Qt::ToolTipRole).toString().startsWith(QStringLiteral("Opened today at ")));
        QVERIFY(!first.data(Qt::DecorationRole).isNull());
    }

    void aLauncherThatRunsOnHoldsTheQueueOnlyForTheGraceTime()
    {
        Stand s;
        s.queue.setGraceMs(400);
        QElapsedTimer clock;
        clock.start();
        s.open({ QStringLiteral("hang"), QStringLiteral("next") });
        QTRY_COMPARE(s.log(), addresses({ QStringLiteral("next") }));
        QVERIFY2(clock.elapsed() >= 400, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY(!s.queue.busy());
        QCOMPARE(s.reports, QStringList()); // still running counts as taken
    }

    void failuresAreReportedOncePerAction()
    {
        Stand s;
        s.open({ QStringLiteral("a"), QStringLiteral("fail1"), QStringLiteral("b"), QStringLiteral("fail2") });
        s.open({ QStringLiteral("c") }, "PushButton2_Click", 100);
        QTRY_COMPARE(s.log(), addresses({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") }));
        QTRY_COMPARE(s.reports.size(), 1);
        QCOMPARE(s.reports.first(),
            QStringLiteral("PushButton6_Click:102 The web browser did not take 2 of 4 addresses; the first was ")
                + Stand::address(QStringLiteral("fail1"))
                + QStringLiteral(". The launcher said: no method available for ")
                + Stand::address(QStringLiteral("fail1")));

        // No launcher on PATH: the fallback gets the address; when it fails
        // too, that is one report for the action.
        s.queue.setLauncher(QStringLiteral("quillmoor-no-such-launcher"));
        QList<QUrl> fallen;
        s.queue.setFallback([&](const QUrl& url) {
            fallen << url;
            return QStringList();
        });
        s.open({ QStringLiteral("home") }, "Form_Load", 108);
        QTRY_COMPARE(s.reports.size(), 2);
        QCOMPARE(fallen, QList<QUrl> { QUrl(Stand::address(QStringLiteral("home"))) });
        QVERIFY(
            s.reports.last().startsWith(QStringLiteral("Form_Load:108 The web browser did not take 1 of 1 address")));
    }

    void reportsQuoteTheAddressAndTheLauncherInExcerpts()
    {
        // The launcher's first line is quoted even when it is longer than
        // what is read of its output.
        for (const int length : { 300, 3000 }) {
            Stand s;
            const QString odd = QStringLiteral("odd") + QString(length, u'x');
            s.open({ odd });
            QTRY_COMPARE(s.reports.size(), 1);
            const QString address = Stand::address(odd);
            QCOMPARE(s.reports.first(),
                QStringLiteral("PushButton6_Click:102 The web browser did not take 1 of 1 address: ") + address.left(80)
                    + QStringLiteral("\u2026. The launcher said: odd\\x1b[31m ") + address.left(71)
                    + QStringLiteral("\u2026"));
        }
        // The last lines are quoted, as far as there is room, and blank
        // lines between and after them are passed over; a warning too long
        // to go with the cause gives way to it (failuresAreReportedOncePerAction).
        Stand s;
        s.open({ QStringLiteral("blank") });
        QTRY_COMPARE(s.reports.size(), 1);
        QVERIFY2(s.reports.first().endsWith(QStringLiteral("The launcher said: first / not taken")),
            qPrintable(s.reports.first()));
    }

    void launchersThatNeverEndHoldNothingOnceTheirTimeIsUp()
    {
        const QSet<qint64> earlier = children();
        Stand s;
        s.queue.setGraceMs(20);
        rlimit before {};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &before) == 0);
        rlimit low = before;
        low.rlim_cur = 32;
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
        const qsizetype held = openDescriptors();
        QStringList never;
        for (int i = 0; i < 60; ++i)
            never << QStringLiteral("never%1").arg(i);
        s.open(never);
        s.open({ QStringLiteral("after") }, "PushButton2_Click", 100);
        QTRY_COMPARE_WITH_TIMEOUT(s.log(), addresses({ QStringLiteral("after") }), 30000);
        ::setrlimit(RLIMIT_NOFILE, &before);
        QVERIFY2(openDescriptors() <= held + 2, qPrintable(QString::number(openDescriptors() - held)));
        QCOMPARE(s.reports, QStringList());
        // Once they end, none is left behind as a zombie. Generous, and in
        // time rather than in tries: a loaded machine takes its time over
        // 60 shells.
        QDeadlineTimer deadline(60000);
        while (aChildIsAZombie(earlier) && !deadline.hasExpired())
            QTest::qWait(20);
        QVERIFY(!aChildIsAZombie(earlier));
    }

    void escapeStopsWhatHasNotBeenHandedOver()
    {
        Stand s;
        s.queue.setGraceMs(300);
        test::FakeDesktop desktop;
        Platform platform = desktop.platform();
        platform.launchesWaiting = [&] { return s.queue.waiting(); };
        platform.stopLaunches = [&] { s.queue.stop(); };
        platform.watchBusy = [&](QObject* receiver, std::function<void(bool)> shown) {
            QObject::connect(&s.queue, &LauncherQueue::busyChanged, receiver, std::move(shown));
        };
        Application app(platform);
        app.form().show();
        app.form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&app.form()));
        const auto pointer = [] {
            return QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        };
        s.open({ QStringLiteral("hang"), QStringLiteral("a"), QStringLiteral("fail"), QStringLiteral("b") });
        QTRY_VERIFY(s.queue.busy());
        QCOMPARE(pointer(), Qt::BusyCursor);
        QTest::keyClick(&app.form(), Qt::Key_Escape);
        QVERIFY(!s.queue.waiting());
        QVERIFY(!s.queue.busy());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QTest::qWait(600);
        QCOMPARE(s.log(), QStringList());
        QCOMPARE(s.reports, QStringList()); // stopped is not failed

        // Closed while pages still wait, the window takes its busy pointer
        // with it.
        s.open({ QStringLiteral("never") });
        QCOMPARE(pointer(), Qt::BusyCursor);
        app.form().close();
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    // A file to edit opens beside the pages, not behind them: it is no
    // page, and stopping the pages leaves it be.
    void aFileOpensBesideThePages()
    {
        Stand s;
        Platform platform = Platform::desktop();
        int most = 0;
        QObject watcher;
        platform.watchLaunches(&watcher, [&](int, int total) { most = qMax(most, total); });
        for (const char* page : { "never", "a" })
            platform.openUrl(QUrl(Stand::address(QString::fromLatin1(page))), QStringLiteral("PushButton6_Click"), 102);
        platform.endLaunchAction();
        const QUrl file = QUrl::fromLocalFile(s.dir.filePath(QStringLiteral("list.txt")));
        platform.openUrl(file, QStringLiteral("mnuEditList_Click"), 102);
        platform.endLaunchAction();
        QTest::qWait(50);
        platform.stopLaunches();
        QTRY_COMPARE(s.log(), QStringList { file.toString() });
        QCOMPARE(most, 2);
    }

    void theFallbackGoesAtTheLaunchersPace()
    {
        // Without the launcher, the browser the environment names goes one
        // page at a time, in order, and its output reaches nobody.
        Stand s;
        s.queue.setLauncher(QStringLiteral("quillmoor-no-such-launcher"));
        const QString browser = s.dir.filePath(QStringLiteral("xdg-open"));
        qunsetenv("DEFAULT_BROWSER");
        qputenv("BROWSER", "quillmoor-no-such-browser:" + QFile::encodeName(browser) + " %s");
        s.queue.setFallback(browserCommand);
        const QStringList what { QStringLiteral("p1"), QStringLiteral("p22"), QStringLiteral("p333"),
            QStringLiteral("fail"), QStringLiteral("p4") };
        s.open(what);
        QTRY_COMPARE_WITH_TIMEOUT(s.reports.size(), 1, 20000);
        QCOMPARE(s.log(), addresses({ what[0], what[1], what[2], what[4] }));
        QVERIFY(s.reports.first().contains(QStringLiteral("The launcher said: no method available for")));

        // Which browser: the variables' commands first, %s placed or the
        // address last; then the system's choice; nothing when none is found.
        const QUrl url(QStringLiteral("https://engine.example/?q=a%20b"));
        const QString a = QString::fromLatin1(url.toEncoded());
        const auto restore = qScopeGuard([path = qgetenv("PATH")] {
            qputenv("PATH", path);
            qunsetenv("DEFAULT_BROWSER");
            qunsetenv("BROWSER");
        });
        qputenv("PATH", QFile::encodeName(s.dir.path()));
        for (const char* name : { "x-www-browser", "b1", "b2" })
            QFile::copy(browser, s.dir.filePath(QLatin1String(name)));
        const auto in = [&](const char* name) { return s.dir.filePath(QLatin1String(name)); };
        const struct {
            const char* defaultBrowser;
            const char* browser;
            QStringList command;
        } cases[] = {
            { "", "b1 --new-tab", { in("b1"), "--new-tab", a } },
            { "none:b2 --url=%s", "b1", { in("b2"), "--url=" + a } },
            { "", "\"b2\" \"two words\"", { in("b2"), "two words", a } },
            { "", "", { in("x-www-browser"), a } },
        };
        for (const auto& c : cases) {
            qputenv("DEFAULT_BROWSER", c.defaultBrowser);
            qputenv("BROWSER", c.browser);
            QCOMPARE(browserCommand(url), c.command);
        }
        QFile::remove(in("x-www-browser"));
        QCOMPARE(browserCommand(url), QStringList());
    }

    void whatWaitsAtCloseIsHandedOverInOrderAfterTheRunningLauncher()
    {
        Stand s;
        s.queue.setGraceMs(1200);
        s.queue.setPaceMs(300);
        const QStringList what { QStringLiteral("hang"), QStringLiteral("x1"), QStringLiteral("x22"),
            QStringLiteral("fail"), QStringLiteral("x333"), QStringLiteral("x4") };
        QElapsedTimer clock;
        clock.start();
        s.open(what);
        QTRY_VERIFY(s.queue.busy());
        QTest::qWait(100); // the first launcher runs on; the rest wait
        // No temporary folder is needed on the way.
        const QByteArray tmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(s.dir.filePath(QStringLiteral("xdg-open"))));
        // Each page's searches count as opened as it goes, in the settings
        // file of the process's environment.
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(s.dir.path()));
        QSettings settings(s.dir.filePath(QStringLiteral("Marrowfen.ini")), QSettings::IniFormat);
        const QString bar = QStringLiteral("1 |");
        settings.setValue("Quillmoor/Searches", storedValue(what + QStringList { bar }));
        settings.sync();
        LauncherQueue::Notes notes;
        for (const QString& page : what.mid(1))
            notes.insert(QUrl(Stand::address(page)), openedNote({ page, bar }));
        QCOMPARE(s.queue.handOver(QString::fromLatin1(kHandOverOption), notes), QString());
        qputenv("XDG_CONFIG_HOME", config);
        qputenv("TMPDIR", tmpdir);
        QVERIFY(!s.queue.busy());
        const auto opened = [&] {
            settings.sync();
            return openedRecordFromText(settings.value("Quillmoor/SearchesOpened").toString()).keys();
        };
        QCOMPARE(opened(), QStringList()); // none has gone yet
        // Done by a process of its own, which waits out the running
        // launcher's time before the next, then one at a time at the pace.
        QTRY_COMPARE_WITH_TIMEOUT(s.log().size(), 4, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(opened().size(), 6, 5000);
        QVERIFY(opened().contains(bar) && !opened().contains(what[0]));
        QVERIFY2(clock.elapsed() >= 1200, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(s.log(), addresses({ what[1], what[2], what[4], what[5] }));
        // At the pace the window kept.
        for (const qint64 gap : s.gaps())
            QVERIFY2(gap >= 240, qPrintable(QString::number(gap)));
        QCOMPARE(s.log("parents"), QStringList(4, QStringLiteral("quillmoor"))); // as ps and top show it
        QCOMPARE(s.reports, QStringList()); // the program is ending: nothing to report to
    }

    // However slowly the hand-over reads, and whichever way its pages go,
    // the window gives them all at once and goes: the reader here takes
    // nothing until told, and notes when it was never told.
    void theCloseNeverWaitsOnTheHandOversReading()
    {
        struct Row {
            os::InputRoute route;
            qsizetype bytes;
        };
        const Row rows[] = { { os::InputRoute::MemoryFile, 6 << 20 }, { os::InputRoute::UnnamedFile, 6 << 20 },
            { os::InputRoute::Pipe, 6 << 20 }, { os::InputRoute::Pipe, 100 } };
        for (const Row& row : rows) {
            QTemporaryDir dir;
            const QString go = dir.filePath(QStringLiteral("go"));
            const QString script = QStringLiteral("i=0; while [ ! -e go ] && [ $i -lt 300 ]; do sleep 0.1; "
                                                  "i=$((i+1)); done; [ -e go ] || : >late; "
                                                  "n=$(wc -c); echo $n >count.new; mv count.new count");
            const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
            qint64 pid = 0;
            const QString why = os::startReading(QStringLiteral("/bin/sh"), "sh",
                { QStringLiteral("-c"), QStringLiteral("cd '%1' && %2").arg(dir.path(), script) },
                QByteArray(row.bytes, 'x'), &pid, row.route);
            qputenv("XDG_RUNTIME_DIR", runtime);
            QCOMPARE(why, QString());
            QVERIFY2(!QFile::exists(dir.filePath(QStringLiteral("late"))), "the window waited on its reader");
            QFile(go).open(QIODevice::WriteOnly);
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(QStringLiteral("count"))), 20000);
            QFile count(dir.filePath(QStringLiteral("count")));
            QVERIFY(count.open(QIODevice::ReadOnly));
            QCOMPARE(count.readAll().trimmed().toLongLong(), row.bytes);
            QCOMPARE(::waitpid(pid_t(pid), nullptr, 0), pid_t(pid));
        }
    }

    // The hand-over mode ends on input it cannot read, and hands over
    // nothing but web pages; each as often as it came (the window already
    // dropped the repeats it does not want).
    void theHandOverModeTakesOnlyWhatItCanRead()
    {
        Stand s;
        const auto handOver = [](const std::function<void(QProcess&)>& input) {
            QProcess process;
            process.setProgram(QCoreApplication::applicationFilePath());
            process.setArguments({ QString::fromLatin1(kHandOverOption), "0", "0" });
            input(process);
            process.start();
            return process.waitForFinished(20000) ? process.exitCode() : -1;
        };
        QCOMPARE(handOver([](QProcess& p) { p.setStandardInputFile(QStringLiteral("/")); }), 1);
        QCOMPARE(handOver([](QProcess& p) { p.setChildProcessModifier([] { ::close(0); }); }), 1);
        QFile lines(s.dir.filePath(QStringLiteral("lines")));
        QVERIFY(lines.open(QIODevice::WriteOnly));
        const QByteArray ok = Stand::address(QStringLiteral("ok")).toLatin1() + '\n';
        lines.write("javascript:alert(1)\nfile:///etc/passwd\n--help\nhttps:no-host\n" + ok + ok);
        lines.close();
        QCOMPARE(handOver([&](QProcess& p) { p.setStandardInputFile(lines.fileName()); }), 0);
        QCOMPARE(s.log(), addresses({ QStringLiteral("ok"), QStringLiteral("ok") }));
        // A page opens as it arrives, however long the input goes on.
        QProcess endless;
        endless.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(kHandOverOption), "0", "0" });
        endless.write(Stand::address(QStringLiteral("next")).toLatin1() + '\n');
        QTRY_COMPARE_WITH_TIMEOUT(
            s.log(), addresses({ QStringLiteral("ok"), QStringLiteral("ok"), QStringLiteral("next") }), 10000);
        endless.closeWriteChannel();
        QVERIFY(endless.waitForFinished(20000) && endless.exitCode() == 0);
        // A wait of days, or no number, is no pace the window sets.
        for (const char* wait : { "2147483647", "-1", "2s" }) {
            endless.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(kHandOverOption), "0", wait });
            QVERIFY(endless.waitForFinished(5000) && endless.exitCode() == 2);
        }
    }

    // The launcher's menu on the desktop runs --open-all: the stored searches
    // go out as Open All sends them, and the program ends with the last.
    void openAllWithoutAWindow()
    {
        Stand s;
        const QString config = s.dir.filePath(QStringLiteral("config"));
        const struct {
            QByteArray settings; // null: a folder stands where the file goes
            QStringList opened;
            int status;
        } cases[] = {
            { "[Quillmoor]\nSearches=a site:x.org|fail site:y.org|b site:z.org|\nEngine=DuckDuckGo\nPagesFrom=Week\n",
                { "https://duckduckgo.com/?q=a%20site%3Ax.org&df=w",
                    "https://duckduckgo.com/?q=b%20site%3Az.org&df=w" },
                1 },
            { "[Quillmoor]\nSearches=a site:x.org|a site:y.org|b site:z.org|\nCombineCities=true\n",
                { "https://www.google.com/search?q=a%20%28site%3Ax.org%20OR%20site%3Ay.org%29",
                    "https://www.google.com/search?q=b%20site%3Az.org" },
                0 },
            { QByteArray(), {}, 1 },
            { "[Quillmoor]\nSearches=\n", {}, 0 },
        };
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        for (const auto& c : cases) {
            QFile::remove(s.dir.filePath(QStringLiteral("log")));
            QFile settings(config + QStringLiteral("/Marrowfen.ini"));
            QVERIFY(
                QDir(config).removeRecursively() && QDir().mkpath(c.settings.isNull() ? settings.fileName() : config));
            QVERIFY(c.settings.isNull() || (settings.open(QIODevice::WriteOnly) && settings.write(c.settings) > 0));
            settings.close();
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(QUILLMOOR_PROGRAM), { QStringLiteral("--open-all") });
            QVERIFY(program.waitForFinished(20000));
            const QByteArray err = program.readAllStandardError();
            QVERIFY2(program.exitCode() == c.status, err.constData());
            // One line says why, or that there was nothing to open.
            QCOMPARE(err.count('\n'), qsizetype(c.status || c.opened.isEmpty()));
            QCOMPARE(s.log(), c.opened);
        }
        // At the pace kept, and what went is recorded.
        QFile::remove(s.dir.filePath(QStringLiteral("times")));
        QFile settings(config + QStringLiteral("/Marrowfen.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Quillmoor]\nSearches=a site:x.org|b site:y.org|\nOpenPace=1000\n");
        settings.close();
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUILLMOOR_PROGRAM), { QStringLiteral("--open-all") });
        QVERIFY(program.waitForFinished(20000) && program.exitCode() == 0);
        QVERIFY2(s.gaps().value(0) >= 940, qPrintable(QString::number(s.gaps().value(0))));
        const QString opened
            = QSettings(settings.fileName(), QSettings::IniFormat).value("Quillmoor/SearchesOpened").toString();
        QVERIFY2(opened.contains(QStringLiteral(" a site:x.org|")) && opened.contains(QStringLiteral(" b site:y.org|")),
            qPrintable(opened));
    }

    // On a private session bus (the suite's tst_launcher_bus run), a run of
    // pages shows in the desktop's notification, whose Stop Opening stops
    // it and whose Open the Rest goes on; --stop-opening stops a window's
    // run and a running --open-all; the notification goes when runs end.
    void theDesktopReachesARunFromOutside()
    {
        if (qEnvironmentVariableIsEmpty("QUILLMOOR_PRIVATE_BUS"))
            QSKIP("needs the private session bus of dbus-run-session");
        NotificationsStandIn service;
        QVERIFY(service.start());
        Stand s;
        test::FakeDesktop desktop;
        Platform platform = desktop.platform();
        s.wire(platform);
        platform.stopLaunches = [&] { s.queue.stop(); };
        platform.setLaunchPace = [&](int ms) { s.queue.setPaceMs(ms); };
        platform.watchLaunches = [&](QObject* receiver, std::function<void(int, int)> shown) {
            QObject::connect(&s.queue, &LauncherQueue::progress, receiver, std::move(shown));
        };
        platform.watchHanded = [&](QObject* receiver, std::function<void(const QUrl&)> heard) {
            QObject::connect(&s.queue, &LauncherQueue::handed, receiver, std::move(heard));
        };
        Platform::addDesktopServices(platform);
        Application app(platform);
        for (int i = 0; i < 8; ++i)
            app.searches().append({ QStringLiteral("s%1 site:c%1.org").arg(i) });
        app.form().searchMenu->paceMenu()->actions().at(1)->trigger(); // one a second
        QTest::mouseClick(app.form().openAllButton, Qt::LeftButton);
        QTRY_VERIFY(service.shown.value(0).startsWith(QStringLiteral("0 Opening pages: ")));
        QVERIFY(service.shown.value(0).endsWith(QStringLiteral(" of 8 [stop]")));
        service.choose(QStringLiteral("stop"));
        QTRY_VERIFY(!app.form().openRestButton->isHidden());
        QTRY_VERIFY(service.shown.last().startsWith(QStringLiteral("1 Stopped at ")));
        QCOMPARE(service.closed, QList<uint>());
        QVERIFY(service.shown.last().endsWith(QStringLiteral(" of 8 pages [rest]")));
        service.choose(QStringLiteral("rest"));
        QTRY_VERIFY(service.shown.last().contains(QStringLiteral("Opening pages: ")));
        // The window and the stand-in answer from this event loop, which
        // runs meanwhile.
        const auto finished = [](QProcess& program) {
            for (QDeadlineTimer until(10000); program.state() != QProcess::NotRunning && !until.hasExpired();)
                QTest::qWait(20);
            return program.state() == QProcess::NotRunning && program.exitCode() == 0;
        };
        const auto stopOpening = [&] {
            QProcess stop;
            stop.start(QStringLiteral(QUILLMOOR_PROGRAM), { QStringLiteral("--stop-opening") });
            return finished(stop) ? QString::fromUtf8(stop.readAllStandardOutput()) : QStringLiteral("failed");
        };
        const QString stopped = stopOpening();
        QVERIFY2(stopped.startsWith(QStringLiteral("quillmoor: Opening stopped: ")), qPrintable(stopped));
        QVERIFY(!app.form().openRestButton->isHidden());
        app.form().searchMenu->paceMenu()->actions().at(0)->trigger();
        QTest::mouseClick(app.form().openRestButton, Qt::LeftButton);
        QTRY_COMPARE(s.log().size(), 8);
        QTRY_VERIFY(service.closed.contains(service.lastId));
        QCOMPARE(stopOpening(), QStringLiteral("quillmoor: No pages are being opened.\n"));

        // --open-all, stopped from another copy, ends with status 0.
        const QString config = s.dir.filePath(QStringLiteral("config"));
        QSettings settings(config + QStringLiteral("/Marrowfen.ini"), QSettings::IniFormat);
        settings.setValue("Quillmoor/Searches", app.searches().entries().join(u'|') + u'|');
        settings.setValue("Quillmoor/OpenPace", 1000);
        settings.sync();
        QProcess openAll;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        openAll.setProcessEnvironment(environment);
        openAll.start(QStringLiteral(QUILLMOOR_PROGRAM), { QStringLiteral("--open-all") });
        const uint windows = service.lastId;
        QTRY_VERIFY_WITH_TIMEOUT(service.lastId != windows, 10000);
        QVERIFY(stopOpening().startsWith(QStringLiteral("quillmoor: Opening stopped: ")));
        QVERIFY(finished(openAll));
        QVERIFY(s.log().size() < 16);
        QTRY_VERIFY(service.closed.contains(service.lastId));
    }

    // The close counts as opened only the pages that went: those still
    // waiting go to the hand-over with the searches each stands for.
    void theCloseRecordsOnlyWhatWent()
    {
        Stand s;
        test::FakeDesktop desktop;
        Platform platform = desktop.platform();
        s.wire(platform);
        platform.watchHanded = [&](QObject* receiver, std::function<void(const QUrl&)> heard) {
            QObject::connect(&s.queue, &LauncherQueue::handed, receiver, std::move(heard));
        };
        LauncherQueue::Notes notes;
        platform.handOverLaunches = [&](const QString&, const LauncherQueue::Notes& given) {
            notes = given;
            return QString();
        };
        const QStringList entries { "hang site:a.org", "b site:b.org", "c site:c.org" };
        {
            Application app(platform);
            app.searches().append(entries);
            app.form().show();
            QTest::mouseClick(app.form().openAllButton, Qt::LeftButton);
            QTRY_VERIFY(s.queue.busy() && s.queue.waitingCount() == 2);
            app.form().close();
        }
        QSettings settings(desktop.settingsFile(), QSettings::IniFormat);
        const OpenedRecord opened = openedRecordFromText(settings.value("Quillmoor/SearchesOpened").toString());
        QCOMPARE(opened.keys(), QStringList { entries[0] });
        QStringList waited;
        for (const QByteArray& note : std::as_const(notes))
            waited += entriesOfNote(note);
        waited.sort();
        QCOMPARE(waited, entries.mid(1));
    }

    // Launchers that run on take turns: a handful at once, in the order
    // asked for; the next starts when one ends, or when one's time is up;
    // those whose time is up still count toward a larger ceiling.
    void onlyAHandfulOfLaunchersRunAtOnce()
    {
        const struct {
            int longestMs;
            int mostAlive;
            int atFirst; // started before any ended
        } cases[] = { { 60000, 32, 8 }, { 300, 32, 10 }, { 300, 9, 9 } };
        for (const auto& c : cases) {
            Stand s;
            s.queue.setGraceMs(20);
            s.queue.setLongestRunMs(c.longestMs);
            s.queue.setMostAlive(c.mostAlive);
            QStringList stuck;
            for (int i = 0; i < 10; ++i)
                stuck << QStringLiteral("stuck%1").arg(i);
            s.open(stuck);
            QTRY_COMPARE_WITH_TIMEOUT(s.log("started").size(), c.atFirst, 4500);
            if (c.atFirst == 10)
                QCOMPARE(s.log("ended"), QStringList()); // none had to end first
            QTRY_COMPARE_WITH_TIMEOUT(s.log("started").size(), 10, 20000);
            // Past a ceiling, the next one waited for one to end.
            if (c.atFirst < 10)
                QVERIFY(!s.log("ended").isEmpty());
            QCOMPARE(s.log("started"), addresses(stuck));
            QTRY_COMPARE_WITH_TIMEOUT(s.log("ended").size(), 10, 20000);
            QVERIFY(!s.queue.busy());
        }
    }

private:
    static qsizetype openDescriptors() { return QDir(QStringLiteral("/proc/self/fd")).count() - 2; }

    // The children of this process now, by the kernel's list of each thread's.
    static QSet<qint64> children()
    {
        QSet<qint64> pids;
        for (const QString& task :
            QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile list(QStringLiteral("/proc/self/task/%1/children").arg(task));
            if (list.open(QIODevice::ReadOnly))
                for (const QByteArray& pid : list.readAll().split(' '))
                    if (!pid.trimmed().isEmpty())
                        pids << pid.trimmed().toLongLong();
        }
        return pids;
    }

    // Without reaping it; a launcher an earlier test let go (one that hangs
    // for half a minute) is not this test's.
    static bool aChildIsAZombie(const QSet<qint64>& earlier = {})
    {
        // Without the kernel's list of children, any child counts.
        if (!QFile::exists(QStringLiteral("/proc/self/task/%1/children").arg(::getpid()))) {
            siginfo_t info {};
            return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
        }
        for (const qint64 pid : children()) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (earlier.contains(pid) || !stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.readAll();
            if (text.mid(text.lastIndexOf(')') + 2, 1) == "Z")
                return true;
        }
        return false;
    }
};

// The test program stands in for the program when the queue hands over at
// close: it starts itself in the hand-over mode.
int main(int argc, char* argv[])
{
    if (const auto status = runHandOverMode(argc, argv))
        return *status;
    QApplication application(argc, argv);
    LauncherTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_launcher.moc"
