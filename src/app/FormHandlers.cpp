#include "Application.h"

#include "Failure.h"
#include "ListView.h"
#include "OpenedRecord.h"
#include "RescueFile.h"
#include "SearchStore.h"
#include "SettingsKeys.h"
#include "Startup.h"
#include "Trap.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace quillmoor {

void Application::Form_Load()
{
    Trap trap(platform_, QStringLiteral("Form_Load"));
    const QString folder = platform_.applicationFolder;
    trap.run(100, [&] { ApplySkin(form_, SkinFramework1, folder); });
    const QString pointerFile = folder + QStringLiteral("/HAND-M.CUR");
    if (trap.test(104, [&] { return FileExists(pointerFile); }))
        trap.run(106, [&] { loadMouseIcon(form_, pointerFile); });
    trap.run(108, [&] { ShowHomePageAtRandom(platform_, trap); });
    trap.run(126, [&] { form_.setWindowTitle(kProductName); });
    trap.run(126, [&] { form_.setWindowIcon(applicationIcon()); });
    trap.run(126, [&] { SetApplicationTitle(); });
    trap.run(128, [&] { locations_.cities().addColumn(QStringLiteral("URL")); });
    trap.run(130, [&] { locations_.cities().addColumn(QStringLiteral("Locations")); });
    trap.run(132, [&] { form_.cityList->setColumnWidthTwips(0, 1); });
    trap.run(134, [&] { form_.cityList->setColumnWidthTwips(1, 7000); });
    trap.run(136, [&] { locations_.LoadLocations(&startupReads_->cities); });
    trap.run(138, [&] { searches_.setCaption(QStringLiteral("Searches")); });
    trap.run(140, [&] { form_.savedList->setColumnWidthTwips(0, 7000); });

    // The saved searches, restored as the last steps. Lists that a close
    // could not save go back into the file first, under its lock, so what
    // is read next holds them.
    takeBackRescued(trap);
    // One read of the file for the searches and where they open.
    QString value;
    trap.run(142, [&] {
        storedKeys_ = startupReads_->settings();
        value = storedAtStart_ = storedKeys_.values.value(settings::kSearches);
    });
    trap.run(142, [&] { reportNotice(storedKeys_.notice); });
    if (!trap.test(144, [&] { return value.isEmpty(); }))
        restoreSearches(trap, value);
    restoreLists(trap);
    restoreOpenChoices();
}

void Application::restoreSearches(Trap& trap, const QString& value)
{
    // The value's pieces as entries, an empty piece as an empty text.
    QStringList pieces;
    trap.run(146, [&] { pieces = startupReads_->entriesOf(value); });
    QStringList restored;
    restored.reserve(pieces.size());
    qsizetype i = 0;
    trap.loop(
        148,
        [&] {
            i = 0;
            return i < pieces.size();
        },
        [&] {
            if (trap.test(150, [&] { return !pieces[i].isEmpty(); }))
                trap.run(152, [&] { restored << pieces[i]; });
        },
        154, [&] { return ++i < pieces.size(); });
    // The appends of line 152 reach the list as one batch: the view hears of
    // one change, not one per entry (a hundred thousand entries take about
    // a third of the time). What was there before is nothing to undo.
    trap.run(152, [&] {
        searches_.restore(restored);
        savedListUndo_.stack().clear();
    });
}

QStringList Application::keysReadAtStart()
{
    return QStringList { settings::kSearches, settings::kSearchesVersion } + OpenChoices::keys()
        + WindowSettings::keys() + PagesOpening::keys() + listKeysReadAtStart();
}

void Application::restoreOpenChoices()
{
    // Where searches open, read with the searches from the same file.
    Trap trap(platform_, QStringLiteral("Form_Load"));
    trap.run(156, [&] { openChoices_.restore(form_, storedKeys_); });
    trap.run(156, [&] { windowSettings_.restoreAsking(platform_, storedKeys_); });
    trap.run(156, [&] { restoreOpening(); });
    // Saving as the user goes starts from the list as the file held it.
    saver_.begin(storedAtStart_, storedKeys_.values.value(settings::kSearchesVersion), listsReadAtStart());
}

void Application::takeBackRescued(Trap& trap)
{
    TakenBack taken;
    trap.run(158, [&] { taken = quillmoor::takeBackRescued(platform_.settingsFile, OpenChoices::keys()); });
    trap.run(158, [&] { reportNotice(taken.trouble); });
    if (taken.files.isEmpty())
        return;
    // Good news, not a fault: said as information, with no support address.
    const QString where = taken.files.join(QStringLiteral("\", \""));
    // What the close chose of where pages open is the user's choice still.
    openChoices_.chosen(taken.keys);
    const char* said = taken.searches == 0
        ? "The saved searches that a close could not write to the settings file were kept in \"%1\"; the list "
          "already held them all."
        : taken.searches == 1
        ? "1 saved search that a close could not write to the settings file came back from \"%1\"."
        : "%2 saved searches that a close could not write to the settings file came back from \"%1\".";
    QString text = QCoreApplication::translate("Form1", said).arg(where);
    if (taken.searches > 1)
        text = text.arg(taken.searches);
    if (platform_.showInformation)
        platform_.showInformation(kProductName, text);
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
            count = searches_.count();
            i = 0;
            return i < count;
        },
        [&] { trap.run(102, [&] { entries << searches_.at(i); }); }, 104, [&] { return ++i < count; });
    QString notice;
    // The last save, merged with what another copy or program saved since
    // this copy's previous one; where searches open goes with it, as far
    // as the user chose it. A list it cannot save is kept aside.
    saveFailed_ = !trap.run(106, [&] { notice = saver_.saveLast(saveSnapshot(entries)); });
    trap.run(106, [&] { reportNotice(notice); });
}

void Application::endHandingOverHere()
{
    // The window's last save went before these pages did.
    try {
        keepOpenedTimes(platform_.settingsFile, opening_.opened().times());
    } catch (const Failure& failure) {
        std::fprintf(stderr, "Quillmoor: %s\n", qUtf8Printable(failure.description()));
        saveFailed_ = true;
    }
    QCoreApplication::exit(exitStatus());
}

} // namespace quillmoor
