// A bookmarks file, whatever its tags, and the results-page addresses in it:
// the links read are written back grouped by folder and read the same;
// every search an address gives is a search of a city's site that its own
// page gives back unchanged.
#include "BookmarksHtml.h"
#include "FuzzCheck.h"
#include "PageQueries.h"
#include "ResultsPage.h"

using namespace quillmoor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString html = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<Bookmark> links = readBookmarks(html);
    QList<BookmarkFolder> folders;
    for (const Bookmark& link : links) {
        auto folder = std::find_if(
            folders.begin(), folders.end(), [&](const BookmarkFolder& f) { return f.name == link.folder; });
        if (folder == folders.end())
            folder = folders.insert(folders.end(), BookmarkFolder { link.folder, {} });
        folder->links << link;
    }
    QList<Bookmark> grouped;
    for (const BookmarkFolder& folder : folders)
        grouped << folder.links;
    const QList<Bookmark> back = readBookmarks(QString::fromUtf8(bookmarksFileBytes(folders)));
    FUZZ_CHECK(back.size() == grouped.size());
    for (qsizetype i = 0; i < back.size(); ++i) {
        FUZZ_CHECK(back[i].folder == grouped[i].folder);
        FUZZ_CHECK(back[i].address == grouped[i].address);
        FUZZ_CHECK(back[i].title == grouped[i].title);
    }

    const QList<SearchEngine> engines = SearchEngine::known();
    for (const Bookmark& link : links) {
        for (const QString& search : searchesOfAddress(link.address, engines)) {
            const std::optional<SiteSearch> split = splitEntry(search);
            FUZZ_CHECK(split && !split->text.trimmed().isEmpty());
            const QString page = QString::fromUtf8(SearchEngine().url(search, PageAge::Week, QDate(2026, 1, 1)).toEncoded());
            FUZZ_CHECK(searchesOfAddress(page, engines) == QStringList { search });
        }
    }
    return 0;
}
