#include "SearchQuery.h"

#include "SearchEngine.h"

namespace quillmoor {

QString siteHost(const QString& address)
{
    QString host = address;
    host.remove(QStringLiteral("http://"), Qt::CaseSensitive);
    host.remove(QChar(u'/'), Qt::CaseSensitive);
    return host;
}

QString searchQuery(const QString& text, const QString& address)
{
    return text + QStringLiteral(" site:") + siteHost(address);
}

QUrl searchEngineUrl(const QString& query) { return SearchEngine().url(query, PageAge::Any, QDate()); }

QString exampleSearch()
{
    return QStringLiteral("lawnmower site:") + siteHost(QStringLiteral("http://boston.listora.org/"));
}

} // namespace quillmoor
