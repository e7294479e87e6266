#include "ResultsPage.h"

#include "PageQueries.h"

#include <QUrl>
#include <algorithm>

namespace quillmoor {

namespace {

    // Letters alone, so that percent-encoding leaves it as it is wherever an
    // engine puts its query.
    constexpr QLatin1StringView kMarker("quillmoorquerymark");

    // An encoded query string's value as a form sends it: `+` is a blank,
    // the rest percent-encoded UTF-8.
    QString formValue(QByteArray encoded)
    {
        encoded.replace('+', ' ');
        return QUrl::fromPercentEncoding(encoded);
    }

    // The value of parameter `name` in the encoded query string `query`.
    std::optional<QString> parameter(const QByteArray& query, const QByteArray& name)
    {
        for (const QByteArray& item : query.split('&')) {
            const qsizetype equals = item.indexOf('=');
            if (equals >= 0 && item.left(equals) == name)
                return formValue(item.mid(equals + 1));
        }
        return std::nullopt;
    }

    // The part of `encoded` between what `pattern` holds before and after
    // the marker.
    std::optional<QString> between(const QByteArray& encoded, const QByteArray& pattern)
    {
        const qsizetype at = pattern.indexOf(QByteArrayView(kMarker));
        const QByteArray before = pattern.left(at);
        const QByteArray after = pattern.mid(at + kMarker.size());
        if (encoded.size() < before.size() + after.size() || !encoded.startsWith(before) || !encoded.endsWith(after))
            return std::nullopt;
        return QUrl::fromPercentEncoding(encoded.mid(before.size(), encoded.size() - before.size() - after.size()));
    }

    // The query on page `page` when it is a results page of `engine`, found
    // where the engine's own address for a query puts it.
    std::optional<QString> queryOn(const QUrl& page, const SearchEngine& engine)
    {
        const QUrl made = engine.url(kMarker, PageAge::Any, QDate(2000, 1, 1));
        if (page.host().compare(made.host(), Qt::CaseInsensitive) != 0 || page.port() != made.port())
            return std::nullopt;
        const QByteArray madePath = made.path(QUrl::FullyEncoded).toUtf8();
        const QByteArray path = page.path(QUrl::FullyEncoded).toUtf8();
        if (madePath.contains(QByteArrayView(kMarker)))
            return between(path, madePath);
        if (path != madePath && !(path.isEmpty() && madePath == "/") && !(madePath.isEmpty() && path == "/"))
            return std::nullopt;
        const QByteArray madeQuery = made.query(QUrl::FullyEncoded).toUtf8();
        for (const QByteArray& item : madeQuery.split('&')) {
            if (item.endsWith("=" + QByteArray(kMarker.data(), kMarker.size())))
                return parameter(page.query(QUrl::FullyEncoded).toUtf8(), item.left(item.indexOf('=')));
        }
        if (made.fragment(QUrl::FullyEncoded).contains(kMarker))
            return between(page.fragment(QUrl::FullyEncoded).toUtf8(), made.fragment(QUrl::FullyEncoded).toUtf8());
        return std::nullopt;
    }

    bool isHost(QStringView host)
    {
        return !host.isEmpty() && std::none_of(host.begin(), host.end(), [](QChar c) { return c.isSpace(); });
    }

} // namespace

bool isWebAddress(const QString& line)
{
    // An address as a browser's bar shows it may hold blanks.
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)
        || trimmed.startsWith(QLatin1String("http://"), Qt::CaseInsensitive);
}

std::optional<QString> resultsPageQuery(const QString& address, const QList<SearchEngine>& engines)
{
    if (!isWebAddress(address))
        return std::nullopt;
    const QUrl page(address.trimmed(), QUrl::TolerantMode);
    if (!page.isValid())
        return std::nullopt;
    for (const SearchEngine& engine : engines)
        if (std::optional<QString> query = queryOn(page, engine))
            return query;
    return std::nullopt;
}

QStringList searchesOfQuery(const QString& query)
{
    const QString whole = query.trimmed();
    // The page of several cities: `text (site:a OR site:b ...)`.
    const qsizetype open = whole.lastIndexOf(QLatin1String(" (site:"));
    if (open > 0 && whole.endsWith(u')')) {
        const QString text = whole.left(open).trimmed();
        QStringList searches;
        const QString sites = whole.mid(open + 2, whole.size() - open - 3);
        for (const QString& site : sites.split(QLatin1String(" OR "))) {
            const QStringView host = QStringView(site).mid(5);
            if (!site.startsWith(QLatin1String("site:")) || !isHost(host))
                return {};
            searches << text + QLatin1String(" site:") + host.toString();
        }
        return text.isEmpty() ? QStringList() : searches;
    }
    const std::optional<SiteSearch> one = splitEntry(whole);
    if (!one || one->text.trimmed().isEmpty())
        return {};
    return { whole };
}

QStringList searchesOfAddress(const QString& address, const QList<SearchEngine>& engines)
{
    const std::optional<QString> query = resultsPageQuery(address, engines);
    return query ? searchesOfQuery(*query) : QStringList();
}

QList<BookmarkFolder> searchesAsBookmarks(const QList<std::pair<QString, QStringList>>& lists, const WhereToOpen& where,
    const std::function<QString(const QString& host)>& cityName)
{
    QList<BookmarkFolder> folders;
    for (const auto& [name, entries] : lists) {
        BookmarkFolder folder { name, {} };
        const QStringList pages = where.openAllQueries(entries);
        const QList<QStringList> covered = pageEntries(pages, entries);
        for (qsizetype i = 0; i < pages.size(); ++i) {
            QString text = pages[i];
            QStringList cities;
            for (const QString& entry : covered[i]) {
                if (const std::optional<SiteSearch> site = splitEntry(entry)) {
                    text = site->text;
                    cities << cityName(site->host);
                }
            }
            const QString title = cities.isEmpty() ? text : text + QStringLiteral(" \u2013 ") + cities.join(u", ");
            folder.links << Bookmark { name, QString::fromUtf8(where.url(pages[i]).toEncoded()), title };
        }
        folders << folder;
    }
    return folders;
}

} // namespace quillmoor
