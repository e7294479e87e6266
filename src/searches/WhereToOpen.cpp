#include "WhereToOpen.h"

#include "PageQueries.h"

#include <QCoreApplication>
#include <QDateTime>

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

QStringList WhereToOpen::openAllQueries(const QStringList& entries) const
{
    return combinesCities() ? pageQueries(entries, engine.wordLimit(), engine.charLimit()) : entries;
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
