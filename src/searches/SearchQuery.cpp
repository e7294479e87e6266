#include "SearchQuery.h"

namespace quillmoor {

namespace {
    // The one place that names the search engine.
    constexpr char kEngineSearchAddress[] = "https://www.google.com/search?q=";
} // namespace

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

QUrl searchEngineUrl(const QString& query)
{
    // toPercentEncoding leaves only the unreserved characters of RFC 3986 as
    // they are; a blank becomes %20.
    return QUrl::fromEncoded(QByteArray(kEngineSearchAddress) + QUrl::toPercentEncoding(query), QUrl::StrictMode);
}

QString exampleSearch()
{
    return QStringLiteral("lawnmower site:") + siteHost(QStringLiteral("http://boston.listora.org/"));
}

} // namespace quillmoor
