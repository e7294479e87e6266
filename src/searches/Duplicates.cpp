#include "Duplicates.h"

#include "ListEdits.h"

#include <QCoreApplication>
#include <QSet>

namespace quillmoor {

QStringList notYetSaved(const QStringList& adding, const QStringList& saved, qsizetype& already)
{
    const QSet<QString> known(saved.cbegin(), saved.cend());
    QStringList fresh;
    fresh.reserve(adding.size());
    for (const QString& entry : adding) {
        if (!known.contains(entry))
            fresh << entry;
    }
    already = adding.size() - fresh.size();
    return fresh;
}

namespace {
    QString counted(qsizetype count, const char* one, const char* many)
    {
        return count == 1 ? QCoreApplication::translate("Duplicates", one)
                          : QCoreApplication::translate("Duplicates", many).arg(count);
    }
} // namespace

QString additionText(qsizetype added, qsizetype already, qsizetype leftOut, bool bookmarks)
{
    QString sum = counted(added, "1 search added", "%1 searches added");
    if (already > 0)
        sum += QStringLiteral(", ") + counted(already, "1 already saved", "%1 already saved");
    if (leftOut > 0)
        sum += QStringLiteral(", ") + leftOutText(leftOut, bookmarks);
    return sum + u'.';
}

QString leftOutText(qsizetype leftOut, bool bookmarks)
{
    return bookmarks
        ? counted(leftOut, "1 bookmark that is no search left out", "%1 bookmarks that are no search left out")
        : counted(leftOut, "1 address that is no search left out", "%1 addresses that are no search left out");
}

QList<qsizetype> repeatedRows(const QStringList& entries)
{
    QSet<QString> seen;
    seen.reserve(entries.size());
    QList<qsizetype> rows;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        const qsizetype before = seen.size();
        seen.insert(entries.at(row));
        if (seen.size() == before)
            rows << row;
    }
    return rows;
}

QList<qsizetype> rowsWithSearchText(const QStringList& entries, const QString& text)
{
    QList<qsizetype> rows;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        if (searchTextOf(entries.at(row)) == text)
            rows << row;
    }
    return rows;
}

QStringList recentSearchTexts(const QStringList& entries)
{
    QSet<QString> seen;
    QStringList texts;
    for (qsizetype row = entries.size() - 1; row >= 0; --row) {
        const QString text = searchTextOf(entries.at(row));
        // A text of blanks only is no text to offer.
        if (text.trimmed().isEmpty() || seen.contains(text))
            continue;
        seen.insert(text);
        texts << text;
    }
    return texts;
}

} // namespace quillmoor
