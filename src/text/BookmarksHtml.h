#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <functional>

namespace quillmoor {

// The bookmarks file every browser exports and imports
// (`<!DOCTYPE NETSCAPE-Bookmark-file-1>`): folders as `<DT><H3>` with a
// nested `<DL>`, links as `<DT><A HREF=...>`, tags seldom closed. Read as
// far as it makes sense, whatever its tags: a folder's `<DL>` never closed
// ends with the file, a `</DL>` too many is passed over, a link outside
// every folder is outside every folder.

struct Bookmark {
    // The innermost folder the link is in, empty outside any; the
    // browser's own folders (its toolbar, "Other Bookmarks") count as none.
    QString folder;
    QString address;
    QString title;
};

// Whether a file of name `path` is meant as bookmarks: it ends in .html or
// .htm, in any letter case.
bool isBookmarksFileName(const QString& path);

// Whether `start`, the first bytes of a file, begin as a bookmarks file.
bool looksLikeBookmarks(QByteArrayView start);

// Whether `start` begins as a web page other than a bookmarks file would:
// `<!DOCTYPE html` or `<html`.
bool looksLikeWebPage(QByteArrayView start);

// The character set a bookmarks file's `META` names (lower case), empty
// when it names none.
QByteArray bookmarksCharset(QByteArrayView bytes);

// Hands `take` the links of a bookmarks file's text, in the file's order.
// Entities are decoded; a control character one decodes to is dropped.
void forEachBookmark(QStringView html, const std::function<void(Bookmark&& link)>& take);
// All of them.
QList<Bookmark> readBookmarks(QStringView html);

// One folder of an exported file, with its links in order.
struct BookmarkFolder {
    QString name;
    QList<Bookmark> links; // their folder is this one's
};

// A bookmarks file in UTF-8 holding `folders`, as a browser's import takes.
QByteArray bookmarksFileBytes(const QList<BookmarkFolder>& folders);

} // namespace quillmoor
