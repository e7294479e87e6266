#include "OpenedTimes.h"
#include "SearchListCommands.h"
#include "SearchListModel.h"
#include "UndoBudget.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QUndoStack>
#include <QtTest>
#include <functional>
#include <limits>
#include <memory>

using namespace quillmoor;

using MakeCommand = std::function<SearchListCommand*(SearchListModel&)>;
Q_DECLARE_METATYPE(MakeCommand)

class TestSearchList : public QObject {
    Q_OBJECT
private slots:
    void eachEditUndoesAndRedoes_data()
    {
        QTest::addColumn<MakeCommand>("make");
        QTest::addColumn<QStringList>("after");
        const auto row
            = [](const char* name, MakeCommand make, QStringList after) { QTest::newRow(name) << make << after; };
        row("insert in the middle",
            [](auto& m) {
                return new InsertSearches(m, "Paste", 1, { "x", "y" });
            },
            { "a", "x", "y", "b", "c", "d" });
        row("insert at the end", [](auto& m) { return new InsertSearches(m, "Add", 4, { "x" }); },
            { "a", "b", "c", "d", "x" });
        row("remove runs", [](auto& m) { return new RemoveSearches(m, "Delete", { 0, 2, 3 }); }, { "b" });
        row("replace", [](auto& m) { return new ReplaceSearches(m, "Move", 1, { "c", "b" }); }, { "a", "c", "b", "d" });
        row("replace by fewer rows", [](auto& m) { return new ReplaceSearches(m, "Edit", 2, { "C" }); },
            { "a", "b", "C", "d" });
        row("clear", [](auto& m) { return new ClearSearches(m, "Clear All"); }, {});
    }

    void eachEditUndoesAndRedoes()
    {
        QFETCH(MakeCommand, make);
        QFETCH(QStringList, after);
        SearchListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QStringList before { "a", "b", "c", "d" };
        model.restore(before);
        QSignalSpy changed(&model, &SearchListModel::listChanged);
        QUndoStack stack;
        stack.push(make(model));
        QCOMPARE(model.entries(), after);
        QCOMPARE(changed.count(), 1);
        for (int round = 0; round < 2; ++round) {
            stack.undo();
            QCOMPARE(model.entries(), before);
            stack.redo();
            QCOMPARE(model.entries(), after);
        }
        QCOMPARE(changed.count(), 5);
    }

    void aStepThatChangesNothingIsNotKept()
    {
        SearchListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.restore({ "a" });
        QUndoStack stack;
        stack.push(new ClearSearches(model, "Clear All"));
        stack.push(new ClearSearches(model, "Clear All"));
        stack.push(new ReplaceSearches(model, "Edit", 0, {}));
        QCOMPARE(stack.count(), 1);
        // A row outside the list is refused, and the list stays as it was.
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, model.remove({ 0 }));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, model.insert(1, { "x" }));
        QCOMPARE(model.count(), 0);
    }

    // Past its budget the history lets its oldest steps go: Undo takes back
    // the newer ones and is then unavailable. The newest step stays
    // undoable even when it alone is over the budget.
    void theHistoryKeepsToItsBudget()
    {
        SearchListModel model;
        QUndoStack stack;
        UndoBudget budget(stack, 10000);
        connect(&stack, &QUndoStack::indexChanged, this, [&] { budget.indexChanged(); });
        const auto paste = [&](int n) { // about 3000 bytes a step
            stack.push(new InsertSearches(model, "Paste", model.count(), QStringList(25, QString(40, QChar('a' + n)))));
        };
        for (int n = 0; n < 5; ++n)
            paste(n);
        QCOMPARE(stack.count(), 5);
        for (int n = 0; n < 3; ++n)
            stack.undo();
        QCOMPARE(model.count(), 50);
        QVERIFY(!stack.canUndo());
        QCOMPARE(stack.count(), 3);
        stack.redo();
        stack.redo();
        QCOMPARE(model.count(), 100);
        QCOMPARE(model.entries().last(), QString(40, 'd'));

        stack.push(new ClearSearches(model, "Clear All")); // 100 entries: over the budget alone
        QCOMPARE(model.count(), 0);
        stack.undo();
        QCOMPARE(model.count(), 100);
        QVERIFY(!stack.canUndo() && stack.canRedo());
    }

    // When a search was opened, as the list tells it; a time no date can
    // show (a damaged record) is unknown, never "today" without a time.
    void whenASearchWasOpened()
    {
        const QDateTime now(QDate(2026, 12, 9), QTime(15, 0));
        const qint64 at = now.toSecsSinceEpoch();
        const std::pair<std::optional<qint64>, const char*> rows[]
            = { { std::nullopt, "Not opened yet" }, { at - 3600, "Opened today at " },
                  { at - 86400, "Opened yesterday at " }, { at - 3 * 86400, "Opened 3 days ago" },
                  { at + 86400, "Opened on " }, { std::numeric_limits<qint64>::max(), "Opened at an unknown time" },
                  { std::numeric_limits<qint64>::max() / 1000 + 1, "Opened at an unknown time" } };
        for (const auto& [seconds, text] : rows)
            QVERIFY2(openedText(seconds, now).startsWith(QLatin1String(text)), qPrintable(openedText(seconds, now)));
        OpenedTimes times;
        times.record({ "a" }, std::numeric_limits<qint64>::max());
        QVERIFY(!times.openedOn("a", now));
    }
};

QTEST_GUILESS_MAIN(TestSearchList)
#include "tst_searchlist.moc"
