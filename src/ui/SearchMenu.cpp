#include "SearchMenu.h"

#include "MenuText.h"

#include <QActionGroup>
#include <iterator>

namespace quillmoor {

namespace {

    using Entry = SearchMenu::Entry;

    // The entries in menu order; a null text is a separator. The letter
    // after "&" is the entry's access key.
    struct EntryRow {
        Entry entry;
        const char* text;
    };
    constexpr EntryRow kEntries[] = {
        { Entry::OpenSelected, QT_TRANSLATE_NOOP("SearchMenu", "&Open Selected") },
        { Entry::OpenAll, QT_TRANSLATE_NOOP("SearchMenu", "Open &All") },
        { Entry::OpenAll, nullptr },
        { Entry::Engine, QT_TRANSLATE_NOOP("SearchMenu", "Search &Engine") },
        { Entry::PagesFrom, QT_TRANSLATE_NOOP("SearchMenu", "&Pages From") },
        { Entry::CombineCities, QT_TRANSLATE_NOOP("SearchMenu", "One Page for Several &Cities") },
        { Entry::CombineCities, nullptr },
        { Entry::Undo, QT_TRANSLATE_NOOP("SearchMenu", "&Undo") },
        { Entry::StopOpening, QT_TRANSLATE_NOOP("SearchMenu", "&Stop Opening") },
    };

} // namespace

SearchMenu::SearchMenu(QWidget* parent)
    : QMenu(parent)
    , engines_(new QMenu(this))
    , ages_(new QMenu(this))
    , engineGroup_(new QActionGroup(this))
    , ageGroup_(new QActionGroup(this))
{
    setObjectName(QStringLiteral("mnuSearches"));
    setAccessibleName(tr("Saved searches"));
    setToolTipsVisible(true);
    for (QActionGroup* group : { engineGroup_, ageGroup_ })
        group->setExclusive(true);
    entries_.resize(int(Entry::StopOpening) + 1);
    for (const EntryRow& row : kEntries) {
        if (!row.text) {
            addSeparator();
            continue;
        }
        const QString text = tr(row.text);
        QAction* action = nullptr;
        if (row.entry == Entry::Engine || row.entry == Entry::PagesFrom) {
            QMenu* sub = row.entry == Entry::Engine ? engines_ : ages_;
            sub->setTitle(text);
            sub->setAccessibleName(spokenText(text));
            sub->setToolTipsVisible(true);
            action = addMenu(sub);
        } else {
            action = addAction(text);
        }
        entries_[int(row.entry)] = action;
    }
    action(Entry::CombineCities)->setCheckable(true);
    action(Entry::Undo)->setEnabled(false);
    action(Entry::StopOpening)->setEnabled(false);

    connect(action(Entry::OpenSelected), &QAction::triggered, this, &SearchMenu::openSelected);
    connect(action(Entry::OpenAll), &QAction::triggered, this, &SearchMenu::openAll);
    connect(action(Entry::CombineCities), &QAction::triggered, this, &SearchMenu::combineCitiesChosen);
    connect(action(Entry::Undo), &QAction::triggered, this, &SearchMenu::undo);
    connect(action(Entry::StopOpening), &QAction::triggered, this, &SearchMenu::stopOpening);
    connect(engineGroup_, &QActionGroup::triggered, this,
        [this](QAction* chosen) { emit engineChosen(chosen->data().toString()); });
    connect(ageGroup_, &QActionGroup::triggered, this,
        [this](QAction* chosen) { emit ageChosen(chosen->data().toString()); });
}

QAction* SearchMenu::action(Entry entry) const { return entries_.at(int(entry)); }

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
