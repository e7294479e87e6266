#include "ImportedSearches.h"

#include "EntryText.h"
#include "ResultsPage.h"
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

} // namespace quillmoor
