#include "OpenChoices.h"

#include "Form1.h"
#include "SearchMenu.h"
#include "SearchStore.h"
#include "SettingsKeys.h"
#include "WhereToOpen.h"

#include <QPushButton>

namespace quillmoor {

void OpenChoices::offer(Form1& form) const
{
    SearchMenu& menu = *form.searchMenu;
    QList<SearchMenu::Choice> engines;
    for (const SearchEngine& engine : SearchEngine::known())
        engines.append({ engine.key(), engine.name() });
    if (where_.engine.isCustom())
        engines.append({ where_.engine.key(), where_.engine.name() });
    menu.setEngines(engines);
    QList<SearchMenu::Choice> ages;
    for (const PageAge age : kPageAges)
        ages.append({ pageAgeKey(age), pageAgeName(age) });
    menu.setAges(ages);
    menu.setEngine(where_.engine.key());
    menu.setAge(pageAgeKey(where_.age));
    menu.setCombinesCities(where_.combineCities);
    show(form);
}

void OpenChoices::show(Form1& form) const
{
    SearchMenu& menu = *form.searchMenu;
    for (const PageAge age : kPageAges)
        menu.setAgeEnabled(pageAgeKey(age), where_.engine.hasAge(age));
    menu.setCombineCitiesEnabled(where_.engine.combinesSites());
    const QString selected = whereToOpenText(where_, false);
    const QString all = whereToOpenText(where_, true);
    menu.setOpenToolTips(selected, all);
    form.openSelectedButton->setToolTip(selected);
    form.openAllButton->setToolTip(all);
}

void OpenChoices::chooseEngine(Form1& form, const QString& key)
{
    engine_ = true;
    where_.engine = SearchEngine::fromKey(key).value_or(SearchEngine());
    show(form);
}

void OpenChoices::chooseAge(Form1& form, const QString& key)
{
    age_ = true;
    where_.age = pageAgeFromKey(key).value_or(PageAge::Any);
    show(form);
}

void OpenChoices::chooseCombineCities(Form1& form, bool on)
{
    combine_ = true;
    where_.combineCities = on;
    show(form);
}

QStringList OpenChoices::keys() { return { settings::kEngine, settings::kPagesFrom, settings::kCombineCities }; }

WhereToOpen storedWhereToOpen(const StoredTexts& stored)
{
    // A value that is no text, or a file that is not all INI, has been
    // reported with the saved searches or means the default.
    const auto value = [&](const QString& key) { return stored.allIni ? stored.values.value(key) : QString(); };
    WhereToOpen where;
    where.engine = SearchEngine::fromKey(value(settings::kEngine)).value_or(SearchEngine());
    where.age = pageAgeFromKey(value(settings::kPagesFrom)).value_or(PageAge::Any);
    where.combineCities = value(settings::kCombineCities) == u"true";
    return where;
}

void OpenChoices::restore(Form1& form, const StoredTexts& stored) { set(form, storedWhereToOpen(stored)); }

void OpenChoices::set(Form1& form, const WhereToOpen& where)
{
    where_ = where;
    offer(form);
}

void OpenChoices::chosen(const QList<std::pair<QString, QString>>& keys)
{
    for (const auto& key : keys) {
        engine_ = engine_ || key.first == settings::kEngine;
        age_ = age_ || key.first == settings::kPagesFrom;
        combine_ = combine_ || key.first == settings::kCombineCities;
    }
}

QList<std::pair<QString, QString>> OpenChoices::chosenKeys() const
{
    const std::pair<bool, std::pair<QString, QString>> keys[] = {
        { engine_, { settings::kEngine, where_.engine.key() } },
        { age_, { settings::kPagesFrom, pageAgeKey(where_.age) } },
        { combine_,
            { settings::kCombineCities, where_.combineCities ? QStringLiteral("true") : QStringLiteral("false") } },
    };
    QList<std::pair<QString, QString>> chosen;
    for (const auto& [isChosen, keyValue] : keys) {
        if (isChosen)
            chosen.append(keyValue);
    }
    return chosen;
}

} // namespace quillmoor
