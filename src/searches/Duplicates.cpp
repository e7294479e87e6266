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

QString additionText(qsizetype added, qsizetype already)
{
    const auto n = [](qsizetype count, const char* one, const char* many) {
        return count == 1 ? QCoreApplication::translate("Duplicates", one)
                          : QCoreApplication::translate("Duplicates", many).arg(count);
    };
    const QString sum = n(added, "1 search added", "%1 searches added");
    if (already == 0)
        return sum + u'.';
    return sum + QStringLiteral(", ") + n(already, "1 already saved", "%1 already saved") + u'.';
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
