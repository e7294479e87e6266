#include "OpenChoices.h"

#include "Form1.h"
#include "SearchMenu.h"
#include "SearchStore.h"
#include "SettingsKeys.h"
#include "WhereToOpen.h"

#include <QPushButton>

namespace quillmoor {

WhereToOpen whereToOpen(const SearchMenu& menu)
{
    WhereToOpen where;
    where.engine = SearchEngine::fromKey(menu.engine()).value_or(SearchEngine());
    where.age = pageAgeFromKey(menu.age()).value_or(PageAge::Any);
    where.combineCities = menu.combinesCities();
    return where;
}

void offerWhereToOpen(Form1& form, const WhereToOpen& where)
{
    SearchMenu& menu = *form.mnuSearches;
    QList<SearchMenu::Choice> engines;
    for (const SearchEngine& engine : SearchEngine::known())
        engines.append({ engine.key(), engine.name() });
    if (where.engine.isCustom())
        engines.append({ where.engine.key(), where.engine.name() });
    menu.setEngines(engines);
    QList<SearchMenu::Choice> ages;
    for (const PageAge age : kPageAges)
        ages.append({ pageAgeKey(age), pageAgeName(age) });
    menu.setAges(ages);
    menu.setEngine(where.engine.key());
    menu.setAge(pageAgeKey(where.age));
    menu.setCombinesCities(where.combineCities);
    showWhereToOpen(form);
}

void showWhereToOpen(Form1& form)
{
    SearchMenu& menu = *form.mnuSearches;
    const WhereToOpen where = whereToOpen(menu);
    for (const PageAge age : kPageAges)
        menu.setAgeEnabled(pageAgeKey(age), where.engine.hasAge(age));
    menu.setCombineCitiesEnabled(where.engine.combinesSites());
    const QString selected = whereToOpenText(where, false);
    const QString all = whereToOpenText(where, true);
    menu.setOpenToolTips(selected, all);
    form.PushButton2->setToolTip(selected);
    form.PushButton6->setToolTip(all);
}

QStringList OpenChoices::keys() { return { settings::kEngine, settings::kPagesFrom, settings::kCombineCities }; }

void OpenChoices::restore(Form1& form, const StoredTexts& stored)
{
    // A value that is no text, or a file that is not all INI, has been
    // reported with the saved searches or means the default.
    const auto value = [&](const QString& key) { return stored.allIni ? stored.values.value(key) : QString(); };
    WhereToOpen where;
    where.engine = SearchEngine::fromKey(value(settings::kEngine)).value_or(SearchEngine());
    where.age = pageAgeFromKey(value(settings::kPagesFrom)).value_or(PageAge::Any);
    where.combineCities = value(settings::kCombineCities) == u"true";
    offerWhereToOpen(form, where);
}

void OpenChoices::chosen(const QList<std::pair<QString, QString>>& keys)
{
    for (const auto& key : keys) {
        engine_ = engine_ || key.first == settings::kEngine;
        age_ = age_ || key.first == settings::kPagesFrom;
        combine_ = combine_ || key.first == settings::kCombineCities;
    }
}

QList<std::pair<QString, ComposeSetting>> OpenChoices::chosenKeys(const Form1& form) const
{
    const SearchMenu& menu = *form.mnuSearches;
    const std::pair<bool, std::pair<QString, QString>> keys[] = {
        { engine_, { settings::kEngine, menu.engine() } },
        { age_, { settings::kPagesFrom, menu.age() } },
        { combine_, { settings::kCombineCities, menu.combinesCities() ? QStringLiteral("true") : QStringLiteral("false") } },
    };
    QList<std::pair<QString, ComposeSetting>> chosen;
    for (const auto& [isChosen, keyValue] : keys) {
        if (isChosen)
            chosen.append({ keyValue.first, [value = keyValue.second](const QString&) { return value; } });
    }
    return chosen;
}

} // namespace quillmoor
