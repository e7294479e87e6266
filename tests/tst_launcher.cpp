// The queue that hands addresses to the browser launcher, with a stand-in
// launcher script on PATH that records what it is given.
#include "LauncherQueue.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

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
    // took after its sleep, so a launch started too early shows as out of order.
    Stand()
    {
        QFile script(dir.filePath(QStringLiteral("xdg-open")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\n"
                     "case \"$1\" in *hang*) sleep 30 ;; esac\n"
                     "sleep 0.0$(( ${#1} % 4 * 2 ))\n"
                     "case \"$1\" in *fail*) echo \"no method available for $1\" >&2; echo more >&2; exit 3 ;; esac\n"
                     "printf '%s\\n' \"$1\" >>\"$(dirname \"$0\")/log\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", dir.path().toLocal8Bit() + ':' + qgetenv("PATH"));
    }
    QStringList log() const
    {
        QFile file(dir.filePath(QStringLiteral("log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }
    static QString address(const QString& what) { return QStringLiteral("https://engine.example/?q=") + what; }
    void open(const QStringList& what, const char* procedure = "PushButton6_Click", int line = 102)
    {
        for (const QString& w : what)
            queue.open(QUrl(address(w)), QString::fromLatin1(procedure), line);
    }
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
        s.open(what.mid(0, 12));
        QVERIFY(s.queue.busy());
        QCOMPARE(QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : Qt::ArrowCursor,
            Qt::BusyCursor);
        // More asked for while the first are handed over join the end.
        QTRY_VERIFY(!s.log().isEmpty());
        s.open(what.mid(12), "PushButton2_Click", 100);
        QTRY_COMPARE_WITH_TIMEOUT(s.log(), addresses(what), 10000);
        QTRY_VERIFY(!s.queue.busy());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(s.reports, QStringList());
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
            return false;
        });
        s.open({ QStringLiteral("home") }, "Form_Load", 108);
        QTRY_COMPARE(s.reports.size(), 2);
        QCOMPARE(fallen, QList<QUrl> { QUrl(Stand::address(QStringLiteral("home"))) });
        QVERIFY(
            s.reports.last().startsWith(QStringLiteral("Form_Load:108 The web browser did not take 1 of 1 address")));
    }

    void addressesWaitingAtCloseAreAllHandedOver()
    {
        Stand s;
        s.queue.setGraceMs(60000);
        QStringList what { QStringLiteral("hang"), QStringLiteral("x1"), QStringLiteral("x22"), QStringLiteral("fail"),
            QStringLiteral("x4444") };
        s.open(what);
        QTRY_VERIFY(s.queue.busy());
        QTest::qWait(100); // the first launcher runs on; the rest wait
        QVERIFY(s.log().isEmpty());
        s.queue.flush();
        QTRY_COMPARE(s.log().size(), 3);
        const QStringList log = s.log();
        QCOMPARE(QSet<QString>(log.begin(), log.end()),
            QSet<QString>({ Stand::address(what[1]), Stand::address(what[2]), Stand::address(what[4]) }));
        QTest::qWait(300);
        QCOMPARE(s.reports, QStringList()); // the program is ending: nothing to report to
    }
};

QTEST_MAIN(LauncherTest)
#include "tst_launcher.moc"
