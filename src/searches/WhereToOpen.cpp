#include "WhereToOpen.h"

#include "Form1.h"
#include "SearchMenu.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPushButton>

namespace quillmoor {

namespace {
    // Free functions have no class to lend their texts a translation context.
    class WhereToOpenTexts {
        Q_DECLARE_TR_FUNCTIONS(WhereToOpen)
    };
} // namespace

QUrl WhereToOpen::url(const QString& query) const
{
    return engine.url(query, usedAge(), QDateTime::currentDateTimeUtc().date());
}

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

QString whereToOpenText(const WhereToOpen& where, bool openAll)
{
    QString text
        = WhereToOpenTexts::tr("Opens in %1, pages from %2").arg(where.engine.name(), pageAgePhrase(where.usedAge()));
    if (openAll && where.combinesCities())
        text += WhereToOpenTexts::tr("; cities searched for the same text share pages");
    return text;
}

} // namespace quillmoor
