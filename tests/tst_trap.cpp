// The error report's exact text and the trap's resume rules.
#include "ErrorReport.h"
#include "Failure.h"
#include "TestSupport.h"
#include "Trap.h"

#include <QtTest>

using namespace quillmoor;

class TrapTest : public QObject {
    Q_OBJECT

private slots:
    void reportTextIsExact()
    {
        QCOMPARE(errorReportText(QStringLiteral("Form_Load"), 136, QStringLiteral("File not found")),
            QStringLiteral("File not found\r\nin Quillfind2021/08/31.Form1.Form_Load at line 136\r\r"
                           "Please email screenshot of this message to support@marrowfen.example"));
        // An empty description still leaves its line: the text starts with CR LF.
        QCOMPARE(errorReportText(QStringLiteral("PushButton2_Click"), 100, QString()),
            QStringLiteral("\r\nin Quillfind2021/08/31.Form1.PushButton2_Click at line 100\r\r"
                           "Please email screenshot of this message to support@marrowfen.example"));

        test::FakeDesktop desktop;
        Platform platform = desktop.platform();
        ShowErrorReport(platform, QStringLiteral("Form_QueryUnload"), 106, QStringLiteral("Disk full"));
        QCOMPARE(desktop.reports,
            QStringList { errorReportText(QStringLiteral("Form_QueryUnload"), 106, QStringLiteral("Disk full")) });
    }

    void failingStatementsResumeWithTheNextOne()
    {
        test::FakeDesktop desktop;
        Platform platform = desktop.platform();
        Trap trap(platform, QStringLiteral("PushButton7_Click"));
        QStringList ran;
        // A failing test goes on inside the conditional.
        if (trap.test(100, []() -> bool { throw Failure(QStringLiteral("test")); }))
            ran << QStringLiteral("inside");
        QVERIFY(!trap.run(102, [] { throw std::runtime_error("plain"); }));
        QVERIFY(trap.run(104, [&] { ran << QStringLiteral("104"); }));
        trap.run(106, [] { throw 42; });
        QCOMPARE(ran, (QStringList { QStringLiteral("inside"), QStringLiteral("104") }));
        QCOMPARE(desktop.where(),
            (QStringList { QStringLiteral("PushButton7_Click:100"), QStringLiteral("PushButton7_Click:102"),
                QStringLiteral("PushButton7_Click:106") }));
        QCOMPARE(desktop.description(0), QStringLiteral("test"));
        QCOMPARE(desktop.description(1), QStringLiteral("plain"));
        QCOMPARE(desktop.description(2), QStringLiteral("Unknown failure."));
    }

    void loopsResumeIntoTheBodyOrPastTheLoop()
    {
        test::FakeDesktop desktop;
        Platform platform = desktop.platform();
        Trap trap(platform, QStringLiteral("PushButton6_Click"));

        // Every pass fails in its body: one report per pass, and the loop
        // still runs to its end.
        int i = 0, passes = 0;
        trap.loop(
            100,
            [&] {
                i = 0;
                return i < 3;
            },
            [&] {
                trap.run(102, [&] {
                    ++passes;
                    throw Failure(QStringLiteral("pass"));
                });
            },
            104, [&] { return ++i < 3; });
        QCOMPARE(passes, 3);
        QCOMPARE(desktop.where(), QStringList(3, QStringLiteral("PushButton6_Click:102")));

        // A failing head still runs the body, with the counter as it stood.
        desktop.reports.clear();
        int counter = 7, seen = -1;
        trap.loop(
            100, []() -> bool { throw Failure(QStringLiteral("head")); }, [&] { seen = counter; }, 104,
            [] { return false; });
        QCOMPARE(seen, 7);

        // A failing step leaves the loop after the pass it closes.
        passes = 0;
        trap.loop(
            100, [] { return true; }, [&] { ++passes; }, 104, []() -> bool { throw Failure(QStringLiteral("step")); });
        QCOMPARE(passes, 1);
        QCOMPARE(desktop.where(),
            (QStringList { QStringLiteral("PushButton6_Click:100"), QStringLiteral("PushButton6_Click:104") }));
    }
};

QTEST_MAIN(TrapTest)
#include "tst_trap.moc"
