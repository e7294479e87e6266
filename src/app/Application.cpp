#include "Application.h"

#include "ListView.h"
#include "NearbyMenu.h"
#include "SearchButtons.h"
#include "SearchStore.h"
#include "Startup.h"
#include "Trap.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

namespace quillmoor {

namespace {
    const QString kSection = QStringLiteral("Quillmoor");
    const QString kKey = QStringLiteral("Searches");
} // namespace

Application::Application(Platform platform)
    : platform_(std::move(platform))
    , locations_(form_, platform_)
{
    // Once a close is asked for during start-up, the rest of start-up runs
    // without waiting on reports, so one signal is enough to end the program.
    platform_.showMessage = [this, show = std::move(platform_.showMessage)](const QString& title, const QString& text) {
        if (!closePending_)
            show(title, text);
        else
            qWarning("%s", qUtf8Printable(text));
    };
    connectHandlers();
}

void Application::connectHandlers()
{
    const std::pair<QPushButton*, void (*)(Form1&, Platform&)> buttons[] = {
        { form_.PushButton7, PushButton7_Click },
        { form_.PushButton2, PushButton2_Click },
        { form_.PushButton6, PushButton6_Click },
        { form_.PushButton3, PushButton3_Click },
        { form_.PushButton4, PushButton4_Click },
        { form_.PushButton5, PushButton5_Click },
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, [this, handler = handler] { handler(form_, platform_); });

    connect(form_.Text1, &QLineEdit::textChanged, this, [this] { locations_.Text1_Change(); });
    connect(form_.ListView1, &ListView::contextMenuRequested, this,
        [this](qsizetype row, const QPoint& at) { locations_.ListView1_ContextMenu(row, at); });
    connect(form_.mnuNearby, &NearbyMenu::distanceChosen, this, [this](double km) { locations_.mnuNearby_Click(km); });
    // Keys users expect: Enter adds the search, Delete removes the selected
    // one, a double-click opens it.
    connect(form_.txtSearch, &QLineEdit::returnPressed, this, [this] { PushButton7_Click(form_, platform_); });
    connect(form_.ListView2, &ListView::deletePressed, this, [this] { PushButton4_Click(form_, platform_); });
    connect(form_.ListView2, &ListView::itemDoubleClicked, this, [this] { PushButton2_Click(form_, platform_); });

    connect(&form_, &Form1::queryUnload, this, [this] {
        Form_QueryUnload();
        // No handler acts after the list is saved; pages still waiting for
        // the browser are handed over, and the application never outlives
        // its window.
        platform_.unloaded = true;
        if (platform_.flushLaunches)
            platform_.flushLaunches();
        QCoreApplication::quit();
    });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { requestClose(); });
}

void Application::start()
{
    Form_Load();
    loaded_ = true;
    if (closePending_) {
        form_.close();
        return;
    }
    form_.centre();
    form_.show();
}

void Application::requestClose()
{
    // A report waiting for its OK would hold the close up indefinitely.
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    if (loaded_)
        form_.close();
    else
        closePending_ = true;
}

void Application::Form_Load()
{
    Trap trap(platform_, QStringLiteral("Form_Load"));
    const QString folder = platform_.applicationFolder;
    trap.run(100, [&] { ApplySkin(form_, SkinFramework1, folder); });
    const QString pointerFile = folder + QStringLiteral("/HAND-M.CUR");
    if (trap.test(104, [&] { return FileExists(pointerFile); }))
        trap.run(106, [&] { loadMouseIcon(form_, pointerFile); });
    trap.run(108, [&] { ShowHomePageAtRandom(platform_); });
    trap.run(126, [&] { form_.setWindowTitle(kProductName); });
    trap.run(126, [&] { form_.setWindowIcon(applicationIcon()); });
    trap.run(126, [&] { SetApplicationTitle(); });
    trap.run(128, [&] { form_.ListView1->addColumn(QStringLiteral("URL")); });
    trap.run(130, [&] { form_.ListView1->addColumn(QStringLiteral("Locations")); });
    trap.run(132, [&] { form_.ListView1->setColumnWidthTwips(0, 1); });
    trap.run(134, [&] { form_.ListView1->setColumnWidthTwips(1, 7000); });
    trap.run(136, [&] { locations_.LoadLocations(); });
    trap.run(138, [&] { form_.ListView2->addColumn(QStringLiteral("Searches")); });
    trap.run(140, [&] { form_.ListView2->setColumnWidthTwips(0, 7000); });

    // The saved searches, restored as the last steps.
    QString value;
    QString notice;
    trap.run(142, [&] {
        const StoredText stored = GetSetting(platform_.settingsFile, kSection, kKey);
        value = storedAtStart_ = stored.value;
        notice = stored.notice;
    });
    trap.run(142, [&] { reportNotice(notice); });
    if (trap.test(144, [&] { return value.isEmpty(); }))
        return;
    StoredPieces pieces;
    trap.run(146, [&] { pieces = StoredPieces(value); });
    ItemBatch restored;
    qsizetype i = 0;
    trap.loop(
        148,
        [&] {
            i = 0;
            return i < pieces.size();
        },
        [&] {
            if (trap.test(150, [&] { return !pieces.isEmpty(i); }))
                trap.run(152, [&] { restored.add(pieces.entry(i)); });
        },
        154, [&] { return ++i < pieces.size(); });
    // The appends of line 152 reach the list as one batch: the view hears of
    // one insertion, not one per entry (a hundred thousand entries take about
    // a third of the time).
    trap.run(152, [&] { form_.ListView2->addItems(std::move(restored)); });
}

void Application::Form_QueryUnload()
{
    Trap trap(platform_, QStringLiteral("Form_QueryUnload"));
    QStringList entries;
    qsizetype count = 0;
    qsizetype i = 0;
    trap.loop(
        100,
        [&] {
            count = form_.ListView2->count();
            i = 0;
            return i < count;
        },
        [&] { trap.run(102, [&] { entries << form_.ListView2->itemText(i); }); }, 104, [&] { return ++i < count; });
    QString notice;
    trap.run(106, [&] {
        const QString value = storedValue(entries);
        notice = SaveSetting(platform_.settingsFile, kSection, kKey, [&](const QString& stored) {
            if (stored == storedAtStart_)
                return value;
            // Another copy of the program saved since this one started:
            // keep its list and apply this copy's changes to it.
            return storedValue(
                mergeSearches(storedEntries(storedAtStart_), storedEntries(value), storedEntries(stored)));
        });
    });
    trap.run(106, [&] { reportNotice(notice); });
}

} // namespace quillmoor
