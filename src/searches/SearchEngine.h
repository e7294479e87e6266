#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace quillmoor {

// How old the pages a search shows may be. The order is that of the menu.
enum class PageAge { Any, Day, Week, Month, Year };
inline constexpr PageAge kPageAges[] = { PageAge::Any, PageAge::Day, PageAge::Week, PageAge::Month, PageAge::Year };

// The value stored for an age ("Any", "Day", ...), its menu name ("Any Time",
// "Past Day", ...) and the words that finish "pages from " in a tool tip.
QString pageAgeKey(PageAge age);
QString pageAgeName(PageAge age);
QString pageAgePhrase(PageAge age);
// The age stored as `key`; nothing when the key names no age.
std::optional<PageAge> pageAgeFromKey(const QString& key);

// One of the web search engines pages open in: a row of the engine table,
// or an address of the user's own that holds "%s" where the query goes.
class SearchEngine {
public:
    // Google, the engine pages always opened in.
    SearchEngine() = default;

    // The engines of the table, in menu order.
    static QList<SearchEngine> known();
    // The engine stored as `key`: a table row's key or a custom address.
    // Nothing when the key is neither.
    static std::optional<SearchEngine> fromKey(const QString& key);

    bool isCustom() const { return row_ < 0; }
    // What is stored for the engine: "Google", ..., or the custom address.
    QString key() const;
    // The name the menu and tool tips show: "Brave Search", "Custom (host)".
    QString name() const;

    bool hasAge(PageAge age) const;
    // Whether one query may name several sites as `(site:a OR site:b)`.
    bool combinesSites() const;
    // The most words, and characters, a query may have: 0 when no limit is
    // known.
    int wordLimit() const;
    int charLimit() const;

    // The results page for `query` with pages from `age` (ignored where the
    // engine has no such filter). `today` dates ranges an engine wants as
    // days.
    QUrl url(const QString& query, PageAge age, QDate today) const;

private:
    int row_ = 0;
    QString address_;
};

} // namespace quillmoor
