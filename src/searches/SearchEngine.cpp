#include "SearchEngine.h"

#include <QCoreApplication>
#include <iterator>

namespace quillmoor {

namespace {

    // One web search engine. The query follows `address` percent-encoded as
    // UTF-8; the age parameter of day, week, month and year follows the
    // query, already encoded (none where the engine has no such filter).
    // `{from}` and `{to}` in an age parameter stand for the first and last
    // day of the range, counted in days since 1 January 1970.
    struct EngineRow {
        const char* key;
        const char* name;
        const char* address;
        const char* ages[4];
        bool combinesSites; // takes `text (site:a OR site:b)`
        int wordLimit; // words a query may have; 0 when none is documented
        int charLimit; // characters a query may have; 0 when none is documented
    };

    // The one table of engines. Where each fact was found is written above
    // its row; the README repeats the table.
    constexpr EngineRow kEngines[] = {
        // Ages: tbs=qdr:d|w|m|y, searxng/searxng searx/engines/google.py
        // (time_range_dict). OR between terms and the limit of 32 words:
        // Google Guide, "Interpreting Your Query" (googleguide.com) and
        // "Untangling the Web" p. 51 ("Google limits the number of search
        // terms to 32 keywords ... The OR must be capitalized").
        { "Google", "Google", "https://www.google.com/search?q=",
            { "&tbs=qdr:d", "&tbs=qdr:w", "&tbs=qdr:m", "&tbs=qdr:y" }, true, 32, 0 },
        // Ages: filters=ex1:"ez1|ez2|ez3", a year as ex1:"ez5_<from>_<to>"
        // in days since 1970, searxng/searxng searx/engines/bing.py
        // (time_ranges in request()). site: and OR: Bing's advanced search
        // keywords help. Query parameters under 1,500 characters: Bing Web
        // Search API v7 reference (learn.microsoft.com). Bing documents no
        // word limit; Google's 32 keeps a page readable.
        { "Bing", "Bing", "https://www.bing.com/search?q=",
            { "&filters=ex1%3A%22ez1%22", "&filters=ex1%3A%22ez2%22", "&filters=ex1%3A%22ez3%22",
                "&filters=ex1%3A%22ez5_{from}_{to}%22" },
            true, 32, 1500 },
        // Ages: df=d|w|m|y, searxng/searxng searx/engines/duckduckgo.py
        // (time_range_dict, the df form value). DuckDuckGo's search syntax
        // help lists site: but no OR, so its pages are not combined.
        { "DuckDuckGo", "DuckDuckGo", "https://duckduckgo.com/?q=", { "&df=d", "&df=w", "&df=m", "&df=y" }, false, 0,
            0 },
        // Ages: tf=pd|pw|pm|py, searxng/searxng searx/engines/brave.py
        // (time_range_map). AND, OR, NOT and site:, and a query of at most
        // 400 characters and 50 words: Brave Search API documentation,
        // "Search operators" and the q parameter.
        { "Brave", "Brave Search", "https://search.brave.com/search?q=", { "&tf=pd", "&tf=pw", "&tf=pm", "&tf=py" },
            true, 50, 400 },
        // Ages: with_date=d|w|m|y, query in `query`, searxng/searxng
        // searx/engines/startpage.py (time_range_dict, _request_cat_web).
        // Startpage documents no OR between site: terms.
        { "Startpage", "Startpage", "https://www.startpage.com/sp/search?query=",
            { "&with_date=d", "&with_date=w", "&with_date=m", "&with_date=y" }, false, 0, 0 },
    };
    constexpr int kEngineCount = int(std::size(kEngines));

    struct AgeRow {
        const char* key;
        const char* name;
        const char* phrase;
    };
    constexpr AgeRow kAges[] = {
        { "Any", QT_TRANSLATE_NOOP("SearchEngine", "Any Time"), QT_TRANSLATE_NOOP("SearchEngine", "any time") },
        { "Day", QT_TRANSLATE_NOOP("SearchEngine", "Past Day"), QT_TRANSLATE_NOOP("SearchEngine", "the past day") },
        { "Week", QT_TRANSLATE_NOOP("SearchEngine", "Past Week"), QT_TRANSLATE_NOOP("SearchEngine", "the past week") },
        { "Month", QT_TRANSLATE_NOOP("SearchEngine", "Past Month"),
            QT_TRANSLATE_NOOP("SearchEngine", "the past month") },
        { "Year", QT_TRANSLATE_NOOP("SearchEngine", "Past Year"), QT_TRANSLATE_NOOP("SearchEngine", "the past year") },
    };
    static_assert(std::size(kAges) == std::size(kPageAges));

    // Free functions have no class to lend their texts a translation context.
    class SearchEngineTexts {
        Q_DECLARE_TR_FUNCTIONS(SearchEngine)
    };

    const AgeRow& ageRow(PageAge age) { return kAges[int(age)]; }

    // A custom address opens only on the web: anything else handed to the
    // desktop could start a program or open a local file. The query goes in
    // the path, the query string or the fragment; in the host it would make
    // an address that is no address at all.
    QUrl customAddress(const QString& address)
    {
        if (!address.contains(QStringLiteral("%s")))
            return {};
        const auto with = [&](const char* query) {
            return QUrl(QString(address).replace(QStringLiteral("%s"), QLatin1String(query)), QUrl::StrictMode);
        };
        const QUrl url = with("q");
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || url.host().isEmpty() || (scheme != u"https" && scheme != u"http")
            || url.authority() != with("a%20b").authority())
            return {};
        return url;
    }

} // namespace

QString pageAgeKey(PageAge age) { return QString::fromLatin1(ageRow(age).key); }
QString pageAgeName(PageAge age) { return SearchEngineTexts::tr(ageRow(age).name); }
QString pageAgePhrase(PageAge age) { return SearchEngineTexts::tr(ageRow(age).phrase); }

std::optional<PageAge> pageAgeFromKey(const QString& key)
{
    for (const PageAge age : kPageAges)
        if (key == QLatin1String(ageRow(age).key))
            return age;
    return std::nullopt;
}

QList<SearchEngine> SearchEngine::known()
{
    QList<SearchEngine> engines;
    for (int row = 0; row < kEngineCount; ++row) {
        SearchEngine engine;
        engine.row_ = row;
        engines << engine;
    }
    return engines;
}

std::optional<SearchEngine> SearchEngine::fromKey(const QString& key)
{
    for (const SearchEngine& engine : known())
        if (engine.key() == key)
            return engine;
    if (!customAddress(key).isValid())
        return std::nullopt;
    SearchEngine engine;
    engine.row_ = -1;
    engine.address_ = key;
    return engine;
}

QString SearchEngine::key() const { return isCustom() ? address_ : QString::fromLatin1(kEngines[row_].key); }

QString SearchEngine::name() const
{
    if (isCustom())
        return SearchEngineTexts::tr("Custom (%1)").arg(customAddress(address_).host());
    return QString::fromLatin1(kEngines[row_].name);
}

bool SearchEngine::hasAge(PageAge age) const
{
    return age == PageAge::Any || (!isCustom() && kEngines[row_].ages[int(age) - 1] != nullptr);
}

bool SearchEngine::combinesSites() const { return !isCustom() && kEngines[row_].combinesSites; }

int SearchEngine::wordLimit() const { return isCustom() ? 0 : kEngines[row_].wordLimit; }

int SearchEngine::charLimit() const { return isCustom() ? 0 : kEngines[row_].charLimit; }

QUrl SearchEngine::url(const QString& query, PageAge age, QDate today) const
{
    // toPercentEncoding leaves only the unreserved characters of RFC 3986 as
    // they are; a blank becomes %20, so "&", "#" and "+" reach the engine as
    // typed.
    const QByteArray encoded = QUrl::toPercentEncoding(query);
    if (isCustom()) {
        QByteArray address = address_.toUtf8();
        return QUrl::fromEncoded(address.replace("%s", encoded), QUrl::TolerantMode);
    }
    const EngineRow& row = kEngines[row_];
    QByteArray address = QByteArray(row.address) + encoded;
    if (hasAge(age) && age != PageAge::Any) {
        const qint64 to = QDate(1970, 1, 1).daysTo(today);
        address += QByteArray(row.ages[int(age) - 1])
                       .replace("{from}", QByteArray::number(to - 365))
                       .replace("{to}", QByteArray::number(to));
    }
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}

} // namespace quillmoor
