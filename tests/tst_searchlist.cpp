#include "ListDiff.h"
#include "SearchListCommands.h"
#include "SearchListModel.h"
#include "ShownText.h"
#include "UndoBudget.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
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

    // Another copy's change comes in as rows inserted and removed: the rows
    // both lists keep stay the same rows, with the selection and the current
    // row; this window's own step (an edit of "d") is undone where its row
    // went, unless the other copy changed that row.
    void takingInKeepsWhatOthersDidNotTouch_data()
    {
        QTest::addColumn<QStringList>("next");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("undone"); // empty: the history is cleared
        QTest::newRow("insert in the middle")
            << QStringList { "a", "x", "b", "c", "D" } << "c" << QStringList { "a", "x", "b", "c", "d" };
        QTest::newRow("remove above") << QStringList { "b", "c", "D" } << "c" << QStringList { "b", "c", "d" };
        QTest::newRow("move the current row")
            << QStringList { "c", "a", "b", "D" } << "" << QStringList { "c", "a", "b", "d" };
        QTest::newRow("repeat the current row")
            << QStringList { "a", "b", "c", "c", "D" } << "c" << QStringList { "a", "b", "c", "c", "d" };
        QTest::newRow("add right after the edited row")
            << QStringList { "a", "b", "c", "D", "y" } << "c" << QStringList { "a", "b", "c", "d", "y" };
        QTest::newRow("remove the current row") << QStringList { "a", "b", "D" } << "" << QStringList { "a", "b", "d" };
        QTest::newRow("edit the edited row") << QStringList { "a", "c", "E" } << "c" << QStringList {};
        QTest::newRow("remove the edited row") << QStringList { "x", "a", "b", "c" } << "c" << QStringList {};
        QTest::newRow("replace the whole list") << QStringList { "p", "q" } << "" << QStringList {};
    }

    void takingInKeepsWhatOthersDidNotTouch()
    {
        QFETCH(QStringList, next);
        QFETCH(QString, selected);
        QFETCH(QStringList, undone);
        SearchListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.restore({ "a", "b", "c", "d" });
        QUndoStack stack;
        stack.push(new ReplaceSearches(model, "Edit", 3, { "D" }));
        QItemSelectionModel selection(&model);
        selection.setCurrentIndex(model.index(2), QItemSelectionModel::ClearAndSelect);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        const SearchListModel::Changes theirs = model.takeIn(next);
        QCOMPARE(model.entries(), next);
        QCOMPARE(reset.count(), 0);
        const QModelIndexList picked = selection.selectedRows();
        QCOMPARE(picked.isEmpty() ? QString() : picked.first().data(kFullTextRole).toString(), selected);
        if (!picked.isEmpty())
            QCOMPARE(selection.currentIndex(), picked.first());
        // What SavedListUndo does with the changes taken in.
        QList<RowsChanged> carried = rowsChanged(theirs);
        auto* step = static_cast<SearchListCommand*>(const_cast<QUndoCommand*>(stack.command(0)));
        SearchListModel::Changes moved = step->changes();
        QCOMPARE(carryAcross(moved, carried, false), !undone.isEmpty());
        if (undone.isEmpty())
            return;
        step->moveTo(moved);
        stack.undo();
        QCOMPARE(model.entries(), undone);
        stack.redo();
        QCOMPARE(model.entries(), next);
    }

    void theDiffIsTheShortest()
    {
        QStringList from;
        for (int i = 0; i < 2000; ++i)
            from << QString::number(i % 7);
        QStringList to = from;
        to.insert(1500, "x");
        to.remove(900, 3);
        to[10] = "y";
        const SearchListModel::Changes changes = listDiff(from, to);
        qsizetype edits = 0;
        QStringList made = from;
        for (auto change = changes.crbegin(); change != changes.crend(); ++change) {
            edits += change->before.size() + change->after.size();
            made.remove(change->first, change->before.size());
            for (qsizetype i = 0; i < change->after.size(); ++i)
                made.insert(change->first + i, change->after.at(i));
        }
        QCOMPARE(made, to);
        QCOMPARE(edits, 6);
        // Beyond its bounds the rows between the common ends are one change,
        // or those from the first change to the last.
        QCOMPARE(listDiff(from, to, 4).size(), 1);
        for (qsizetype i = 100; i < 1900; i += 20)
            to[i] = "z";
        const SearchListModel::Changes spread = listDiff(from, to);
        QCOMPARE(spread.size(), 1);
        QCOMPARE(spread.first().first, 10);
        QCOMPARE(from.mid(0, 10) + spread.first().after + from.mid(10 + spread.first().before.size()), to);
        QCOMPARE(spread.first().before.last(), from.at(1882)); // where the last "z" stood
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

        // A restore is a macro of two edits, counted as one step with the rest:
        // the steps older than it go too.
        stack.clear();
        model.clear();
        paste(0);
        paste(1);
        stack.beginMacro("Restore");
        paste(2);
        stack.push(new RemoveSearches(model, "Restore", { 0 }));
        stack.endMacro();
        paste(3);
        paste(4);
        QCOMPARE(stack.count(), 5);
        for (int n = 0; n < 3; ++n)
            stack.undo();
        QVERIFY(!stack.canUndo());
        QCOMPARE(stack.count(), 3);
        QCOMPARE(model.count(), 50);
    }
};

QTEST_GUILESS_MAIN(TestSearchList)
#include "tst_searchlist.moc"
