#include "SearchQuery.h"

#include "SearchEngine.h"

namespace quillmoor {

QString siteHost(const QString& written)
{
    // A search engine wants the host and any path, never the scheme: lists
    // write either scheme, in any case, and a path whose slashes count. A
    // blank or tab around the address (a hand edit) is no part of it.
    const QString address = written.trimmed();
    for (const QLatin1String scheme : { QLatin1String("http://"), QLatin1String("https://") }) {
        if (address.startsWith(scheme, Qt::CaseInsensitive)) {
            QStringView host = QStringView(address).sliced(scheme.size()).trimmed();
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

QString exampleSearch()
{
    return QStringLiteral("lawnmower site:") + siteHost(QStringLiteral("http://boston.listora.org/"));
}

} // namespace quillmoor
