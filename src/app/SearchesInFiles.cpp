#include "SearchesInFiles.h"

#include "EntryText.h"
#include "Failure.h"
#include "LocationFile.h"
#include "LocationLine.h"
#include "ResultsPage.h"
#include "SearchQuery.h"
#include "SearchesFile.h"

namespace quillmoor {

ImportCount forEachImportedSearch(const QString& path, const QList<SearchEngine>& engines,
    const std::function<void(const QString& folder, QString&& search)>& take, const std::function<void()>& restart)
{
    ImportCount count;
    const QString outside;
    // Each search of a page goes by the one rule for an entry's text, as a
    // line of text does.
    const auto takePage = [&](const QString& folder, const QString& address) {
        const QStringList searches = searchesOfAddress(address, engines);
        count.leftOut += searches.isEmpty() ? 1 : 0;
        for (const QString& search : searches)
            if (QString entry = entryText(search); !entry.isEmpty())
                take(folder, std::move(entry));
    };
    forEachSearchInFile(
        path,
        [&](QString&& line) {
            if (isWebAddress(line))
                takePage(outside, line);
            else
                take(outside, std::move(line));
        },
        [&] {
            count.leftOut = 0;
            restart();
        },
        [&](Bookmark&& link) {
            count.bookmarks = true;
            takePage(link.folder, link.address);
        });
    return count;
}

QList<SearchEngine> enginesToRead(const SearchEngine& chosen)
{
    QList<SearchEngine> engines = SearchEngine::known();
    if (chosen.isCustom())
        engines << chosen;
    return engines;
}

QHash<QString, QString> cityNamesByHost(const QString& listPath)
{
    QHash<QString, QString> names;
    try {
        LocationFile file(listPath);
        file.forEachLocation(
            {}, [&](const LocationLine& line) { names.insert(siteHost(line.address.toString()), line.name.toString()); },
            [&] { names.clear(); });
    } catch (const Failure&) {
        names.clear();
    }
    return names;
}

QByteArray exportedBytes(const QString& path, const QList<std::pair<QString, QStringList>>& lists,
    const WhereToOpen& where, const QString& listPath)
{
    if (!isBookmarksFileName(path))
        return searchesFileBytes(lists.isEmpty() ? QStringList() : lists.first().second);
    const QHash<QString, QString> names = cityNamesByHost(listPath);
    return bookmarksFileBytes(
        searchesAsBookmarks(lists, where, [&](const QString& host) { return names.value(host, host); }));
}

} // namespace quillmoor
