#include "SearchQuery.h"

namespace quillmoor {

namespace {
    // The one place that names the search engine.
    constexpr char kEngineSearchAddress[] = "https://www.google.com/search?q=";
} // namespace

QString siteHost(const QString& address)
{
    // A search engine wants the host and any path, never the scheme: lists
    // write either scheme, in any case, and a path whose slashes count.
    for (const QLatin1String scheme : { QLatin1String("http://"), QLatin1String("https://") }) {
        if (address.startsWith(scheme, Qt::CaseInsensitive)) {
            QStringView host = QStringView(address).sliced(scheme.size());
            if (host.endsWith(u'/'))
                host.chop(1);
            return host.toString();
        }
    }
    return address;
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
