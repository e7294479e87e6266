#include "SearchMenu.h"

#include "MenuText.h"

#include <QActionGroup>
#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <iterator>

namespace quillmoor {

namespace {

    using Entry = SearchMenu::Entry;

    // The entries in menu order; a null text is a separator. The letter
    // after "&" is the entry's access key, one letter for one entry.
    struct EntryRow {
        Entry entry;
        const char* text;
    };
    constexpr EntryRow kEntries[] = {
        { Entry::OpenSelected, QT_TRANSLATE_NOOP("SearchMenu", "&Open Selected") },
        { Entry::OpenAll, QT_TRANSLATE_NOOP("SearchMenu", "Open &All") },
        { Entry::OpenRest, QT_TRANSLATE_NOOP("SearchMenu", "Open t&he Rest") },
        { Entry::OpenNotToday, QT_TRANSLATE_NOOP("SearchMenu", "Open &Just Those Not Opened Today") },
        { Entry::OpenAll, nullptr },
        { Entry::EditText, QT_TRANSLATE_NOOP("SearchMenu", "&Edit Search Text\u2026") },
        { Entry::MoveUp, QT_TRANSLATE_NOOP("SearchMenu", "&Move Up") },
        { Entry::MoveDown, QT_TRANSLATE_NOOP("SearchMenu", "Move Do&wn") },
        { Entry::Cut, QT_TRANSLATE_NOOP("SearchMenu", "Cu&t") },
        { Entry::Copy, QT_TRANSLATE_NOOP("SearchMenu", "Cop&y") },
        { Entry::Paste, QT_TRANSLATE_NOOP("SearchMenu", "&Paste") },
        { Entry::Delete, QT_TRANSLATE_NOOP("SearchMenu", "&Delete") },
        { Entry::SelectAll, QT_TRANSLATE_NOOP("SearchMenu", "Select A&ll") },
        { Entry::SelectSameText, QT_TRANSLATE_NOOP("SearchMenu", "Pic&k Searches With This Text") },
        { Entry::Find, QT_TRANSLATE_NOOP("SearchMenu", "&Quick Find\u2026") },
        { Entry::RemoveDuplicates, QT_TRANSLATE_NOOP("SearchMenu", "Remo&ve Duplicates") },
        { Entry::RemoveDuplicates, nullptr },
        { Entry::Engine, QT_TRANSLATE_NOOP("SearchMenu", "Search E&ngine") },
        { Entry::PagesFrom, QT_TRANSLATE_NOOP("SearchMenu", "Pages &From") },
        { Entry::CombineCities, QT_TRANSLATE_NOOP("SearchMenu", "One Page for Several &Cities") },
        { Entry::Pace, QT_TRANSLATE_NOOP("SearchMenu", "Openin&g Pace") },
        { Entry::CombineCities, nullptr },
        { Entry::Undo, QT_TRANSLATE_NOOP("SearchMenu", "&Undo") },
        { Entry::Redo, QT_TRANSLATE_NOOP("SearchMenu", "&Redo") },
        { Entry::StopOpening, QT_TRANSLATE_NOOP("SearchMenu", "&Stop Opening") },
        { Entry::StopOpening, nullptr },
        { Entry::Import, QT_TRANSLATE_NOOP("SearchMenu", "&Import Searches\u2026") },
        { Entry::Export, QT_TRANSLATE_NOOP("SearchMenu", "E&xport Searches\u2026") },
        { Entry::Restore, QT_TRANSLATE_NOOP("SearchMenu", "Restore Searches From &Backup\u2026") },
        { Entry::Restore, nullptr },
        // In a submenu of their own (see kListEntries).
        { Entry::NewList, QT_TRANSLATE_NOOP("SearchMenu", "&New List\u2026") },
        { Entry::RenameList, QT_TRANSLATE_NOOP("SearchMenu", "&Rename List\u2026") },
        { Entry::DeleteList, QT_TRANSLATE_NOOP("SearchMenu", "&Delete List") },
        { Entry::MoveToList, QT_TRANSLATE_NOOP("SearchMenu", "&Move to List") },
        { Entry::AddToMenu, QT_TRANSLATE_NOOP("SearchMenu", "&Add to Applications Menu") },
        { Entry::RemoveFromMenu, QT_TRANSLATE_NOOP("SearchMenu", "Remove &From Applications Menu") },
    };

    // The keys of an entry. Redo answers to both of the usual keys, whatever
    // the desktop's key scheme binds: without a desktop session Qt offers
    // only one of them.
    QList<QKeySequence> keysOf(Entry entry)
    {
        switch (entry) {
        case Entry::EditText:
            return { QKeySequence(Qt::Key_F2) };
        case Entry::MoveUp:
            return { QKeySequence(Qt::ALT | Qt::Key_Up) };
        case Entry::MoveDown:
            return { QKeySequence(Qt::ALT | Qt::Key_Down) };
        case Entry::Cut:
            return { QKeySequence(QKeySequence::Cut) };
        case Entry::Copy:
            return { QKeySequence(QKeySequence::Copy) };
        case Entry::Delete:
            return { QKeySequence(QKeySequence::Delete) };
        case Entry::SelectAll:
            return { QKeySequence(QKeySequence::SelectAll) };
        case Entry::Paste:
            return { QKeySequence(QKeySequence::Paste) };
        case Entry::Find:
            return { QKeySequence(QKeySequence::Find) };
        case Entry::Undo:
            return { QKeySequence(QKeySequence::Undo) };
        case Entry::Redo: {
            QList<QKeySequence> keys { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                QKeySequence(Qt::CTRL | Qt::Key_Y) };
            for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Redo))
                if (!keys.contains(key))
                    keys.append(key);
            return keys;
        }
        default:
            return {};
        }
    }

} // namespace

SearchMenu::SearchMenu(QWidget* parent)
    : QMenu(parent)
    , engines_(new QMenu(this))
    , ages_(new QMenu(this))
    , engineGroup_(new QActionGroup(this))
    , ageGroup_(new QActionGroup(this))
    , paces_(new QMenu(this))
    , paceGroup_(new QActionGroup(this))
    , moveTo_(new QMenu(this))
{
    setObjectName(QStringLiteral("mnuSearches"));
    setAccessibleName(tr("Saved searches"));
    setToolTipsVisible(true);
    for (QActionGroup* group : { engineGroup_, ageGroup_, paceGroup_ })
        group->setExclusive(true);
    entries_.resize(int(Entry::RemoveFromMenu) + 1);
    for (const EntryRow& row : kEntries) {
        if (!row.text) {
            addSeparator();
            continue;
        }
        const QString text = tr(row.text);
        QAction* action = nullptr;
        const std::pair<Entry, QMenu*> subs[] = { { Entry::Engine, engines_ }, { Entry::PagesFrom, ages_ },
            { Entry::Pace, paces_ }, { Entry::MoveToList, moveTo_ } };
        const auto sub_
            = std::find_if(std::begin(subs), std::end(subs), [&](const auto& s) { return s.first == row.entry; });
        if (sub_ != std::end(subs)) {
            QMenu* sub = sub_->second;
            sub->setTitle(text);
            sub->setAccessibleName(spokenText(text));
            sub->setToolTipsVisible(true);
            action = addMenu(sub);
        } else {
            action = addAction(text);
            connect(action, &QAction::triggered, this, [this, entry = row.entry] { act(entry); });
        }
        // Shown beside the entry; the keys themselves act through addKeys(),
        // these only while the menu is open.
        action->setShortcuts(keysOf(row.entry));
        action->setShortcutContext(Qt::WidgetShortcut);
        entries_[int(row.entry)] = action;
    }
    addListsMenu();
    action(Entry::CombineCities)->setCheckable(true);
    setLists({ QString() }, 0);
    setInApplicationsMenu(false);
    for (const Entry entry : { Entry::Undo, Entry::Redo, Entry::StopOpening, Entry::OpenRest, Entry::OpenNotToday })
        action(entry)->setEnabled(false);

    connect(engineGroup_, &QActionGroup::triggered, this,
        [this](QAction* chosen) { emit engineChosen(chosen->data().toString()); });
    connect(ageGroup_, &QActionGroup::triggered, this,
        [this](QAction* chosen) { emit ageChosen(chosen->data().toString()); });
    connect(paceGroup_, &QActionGroup::triggered, this,
        [this](QAction* chosen) { emit paceChosen(chosen->data().toString()); });
}

QAction* SearchMenu::action(Entry entry) const { return entries_.at(int(entry)); }

void SearchMenu::addListsMenu()
{
    // Every letter of the menu has its entry: the lists' entries share one,
    // in a submenu, whose "s" Stop Opening has only while it is enabled.
    auto* lists = new QMenu(tr("Li&sts"), this);
    lists->setAccessibleName(spokenText(lists->title()));
    const std::pair<Entry, void (SearchMenu::*)()> entries[] = { { Entry::NewList, &SearchMenu::newList },
        { Entry::RenameList, &SearchMenu::renameList }, { Entry::DeleteList, &SearchMenu::deleteList },
        { Entry::MoveToList, nullptr }, { Entry::AddToMenu, &SearchMenu::addToApplicationsMenu },
        { Entry::RemoveFromMenu, &SearchMenu::removeFromApplicationsMenu } };
    for (const auto& [entry, said] : entries) {
        // A menu lets go of an action's every connection to it as it goes.
        removeAction(action(entry));
        lists->addAction(action(entry));
        if (said)
            connect(action(entry), &QAction::triggered, this, said);
    }
    addMenu(lists);
}

void SearchMenu::setInApplicationsMenu(bool in)
{
    action(Entry::AddToMenu)->setVisible(!in);
    action(Entry::RemoveFromMenu)->setVisible(in);
}

void SearchMenu::setLists(const QStringList& names, qsizetype shown)
{
    moveTo_->clear();
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i == shown)
            continue;
        connect(moveTo_->addAction(menuText(names[i])), &QAction::triggered, this, [this, i] { emit moveToList(i); });
    }
    action(Entry::MoveToList)->setVisible(names.size() > 1);
    action(Entry::DeleteList)->setEnabled(shown > 0);
}

void SearchMenu::act(Entry entry)
{
    switch (entry) {
    case Entry::OpenSelected:
        return emit openSelected();
    case Entry::OpenAll:
        return emit openAll();
    case Entry::EditText:
        return emit editText();
    case Entry::MoveUp:
        return emit moveSelected(-1);
    case Entry::MoveDown:
        return emit moveSelected(1);
    case Entry::Cut:
        return emit cut();
    case Entry::Copy:
        return emit copy();
    case Entry::Delete:
        return emit deleteSelected();
    case Entry::SelectAll:
        return emit selectAll();
    case Entry::Paste:
        return emit paste();
    case Entry::CombineCities:
        return emit combineCitiesChosen(action(entry)->isChecked());
    case Entry::Undo:
        return emit undo();
    case Entry::Redo:
        return emit redo();
    case Entry::StopOpening:
        return emit stopOpening();
    case Entry::Import:
        return emit importSearches();
    case Entry::Export:
        return emit exportSearches();
    case Entry::SelectSameText:
        return emit selectSameText();
    case Entry::Find:
        return emit find();
    case Entry::RemoveDuplicates:
        return emit removeDuplicates();
    case Entry::Restore:
        return emit restoreSearches();
    case Entry::OpenRest:
        return emit openRest();
    case Entry::OpenNotToday:
        return emit openNotToday();
    case Entry::NewList: // said by the lists' submenu
    case Entry::RenameList:
    case Entry::DeleteList:
    case Entry::AddToMenu:
    case Entry::RemoveFromMenu:
    case Entry::Engine:
    case Entry::PagesFrom:
    case Entry::Pace:
    case Entry::MoveToList:
        return;
    }
}

void SearchMenu::addKeys(QWidget* window, QWidget* list)
{
    const auto addKey = [this, list](QWidget* to, const QList<QKeySequence>& keys, auto&& onKey) {
        auto* key = new QAction(to);
        key->setShortcuts(keys);
        key->setShortcutContext(to == list ? Qt::WidgetShortcut : Qt::WindowShortcut);
        connect(key, &QAction::triggered, this, onKey);
        to->addAction(key);
    };
    for (const Entry entry : { Entry::EditText, Entry::MoveUp, Entry::MoveDown, Entry::Cut, Entry::Copy, Entry::Paste })
        addKey(list, keysOf(entry), [this, entry] { act(entry); });
    // A text box keeps its own undo: the keys it does not take for itself
    // (Ctrl+Y where the desktop binds Ctrl+Shift+Z) are passed to it here.
    for (const Entry entry : { Entry::Undo, Entry::Redo }) {
        addKey(window, keysOf(entry), [this, entry] {
            auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            if (box && entry == Entry::Undo)
                box->undo();
            else if (box)
                box->redo();
            else
                act(entry);
        });
    }
}

void SearchMenu::setUndoSteps(const QString& undo, const QString& redo)
{
    const auto show = [this](Entry entry, const char* plain, const char* named, QString step) {
        action(entry)->setEnabled(!step.isEmpty());
        action(entry)->setText(step.isEmpty() ? tr(plain) : tr(named).arg(menuText(step)));
    };
    show(Entry::Undo, "&Undo", "&Undo %1", undo);
    show(Entry::Redo, "&Redo", "&Redo %1", redo);
}

void SearchMenu::setUndoUnavailable(const QString& why)
{
    action(Entry::Undo)->setEnabled(false);
    action(Entry::Undo)->setText(why);
}

void SearchMenu::setEditEnabled(bool selected, bool canPaste, bool any)
{
    for (const Entry entry :
        { Entry::EditText, Entry::MoveUp, Entry::MoveDown, Entry::Cut, Entry::Copy, Entry::Delete })
        action(entry)->setEnabled(selected);
    action(Entry::Paste)->setEnabled(canPaste);
    action(Entry::SelectAll)->setEnabled(any);
    action(Entry::SelectSameText)->setEnabled(selected);
    action(Entry::RemoveDuplicates)->setEnabled(any);
    action(Entry::Find)->setEnabled(any);
}

void SearchMenu::fill(QMenu* menu, QActionGroup* group, const QList<Choice>& choices)
{
    const QString checked = checkedKey(group);
    for (QAction* old : group->actions()) {
        group->removeAction(old);
        delete old;
    }
    for (const Choice& choice : choices) {
        QAction* action = menu->addAction(menuText(choice.name));
        action->setCheckable(true);
        action->setData(choice.key);
        group->addAction(action);
    }
    check(group, checked);
}

void SearchMenu::setEngines(const QList<Choice>& engines) { fill(engines_, engineGroup_, engines); }
void SearchMenu::setAges(const QList<Choice>& ages) { fill(ages_, ageGroup_, ages); }

QString SearchMenu::checkedKey(const QActionGroup* group)
{
    const QAction* checked = group->checkedAction();
    return checked ? checked->data().toString() : QString();
}

void SearchMenu::check(const QActionGroup* group, const QString& key)
{
    for (QAction* action : group->actions())
        action->setChecked(action->data().toString() == key);
}

QString SearchMenu::engine() const { return checkedKey(engineGroup_); }
void SearchMenu::setEngine(const QString& key) { check(engineGroup_, key); }
QString SearchMenu::age() const { return checkedKey(ageGroup_); }
void SearchMenu::setAge(const QString& key) { check(ageGroup_, key); }
bool SearchMenu::combinesCities() const { return action(Entry::CombineCities)->isChecked(); }
void SearchMenu::setCombinesCities(bool on) { action(Entry::CombineCities)->setChecked(on); }

void SearchMenu::setAgeEnabled(const QString& key, bool enabled)
{
    for (QAction* action : ageGroup_->actions())
        if (action->data().toString() == key)
            action->setEnabled(enabled);
}

void SearchMenu::setOpenToolTips(const QString& selected, const QString& all)
{
    action(Entry::OpenSelected)->setToolTip(selected);
    action(Entry::OpenAll)->setToolTip(all);
}

} // namespace quillmoor
