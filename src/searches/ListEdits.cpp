#include "ListEdits.h"

#include "EntryText.h"
#include "LineSplitter.h"
#include "PageQueries.h"

#include <utility>

namespace quillmoor {

QStringList entryLines(QStringView text)
{
    QStringList entries;
    LineSplitter lines;
    lines.split(text, true, [&](QStringView line) {
        QString entry = entryText(line);
        if (!entry.isEmpty())
            entries.append(std::move(entry));
    });
    return entries;
}

Rearranged moveRows(const QStringList& entries, const QList<qsizetype>& rows, int by)
{
    Rearranged moved;
    if (rows.isEmpty() || (by != -1 && by != 1))
        return moved;
    // Only the rows from the one before the first moved entry to the one
    // after the last can change.
    const qsizetype first = qMax<qsizetype>(0, rows.first() - (by < 0 ? 1 : 0));
    const qsizetype last = qMin(entries.size() - 1, rows.last() + (by > 0 ? 1 : 0));
    QStringList span = entries.mid(first, last - first + 1);
    moved.selected.resize(rows.size());
    if (by < 0) {
        qsizetype stuckUpTo = 0; // rows above this one cannot move
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const qsizetype row = rows[i];
            if (row == stuckUpTo) {
                moved.selected[i] = row;
                stuckUpTo = row + 1;
                continue;
            }
            span.swapItemsAt(row - first - 1, row - first);
            moved.selected[i] = row - 1;
            stuckUpTo = row;
        }
    } else {
        qsizetype stuckDownTo = entries.size() - 1;
        for (qsizetype i = rows.size() - 1; i >= 0; --i) {
            const qsizetype row = rows[i];
            if (row == stuckDownTo) {
                moved.selected[i] = row;
                stuckDownTo = row - 1;
                continue;
            }
            span.swapItemsAt(row - first, row - first + 1);
            moved.selected[i] = row + 1;
            stuckDownTo = row;
        }
    }
    if (moved.selected == rows)
        return { first, {}, rows };
    moved.first = first;
    moved.rows = std::move(span);
    return moved;
}

Rearranged moveRowsTo(const QStringList& entries, const QList<qsizetype>& rows, qsizetype to)
{
    if (rows.isEmpty() || to < 0 || to > entries.size())
        return { 0, {}, rows };
    const qsizetype first = qMin(rows.first(), to);
    const qsizetype last = qMax(rows.last(), to - 1);
    QStringList taken;
    QStringList others;
    qsizetype before = 0; // moved entries above the drop
    qsizetype next = 0;
    for (qsizetype row = first; row <= last; ++row) {
        if (next < rows.size() && rows[next] == row) {
            taken << entries[row];
            before += row < to;
            ++next;
        } else {
            others << entries[row];
        }
    }
    const qsizetype at = to - first - before;
    Rearranged moved;
    moved.first = first;
    moved.rows = others.mid(0, at) + taken + others.mid(at);
    for (qsizetype i = 0; i < taken.size(); ++i)
        moved.selected << first + at + i;
    if (moved.selected == rows)
        moved.rows.clear();
    return moved;
}

QString searchTextOf(const QString& entry)
{
    const std::optional<SiteSearch> split = splitEntry(entry);
    return split ? split->text : entry;
}

QString sharedSearchText(const QStringList& entries)
{
    if (entries.isEmpty())
        return QString();
    const QString text = searchTextOf(entries.first());
    for (const QString& entry : entries)
        if (searchTextOf(entry) != text)
            return QString();
    return text;
}

QString withSearchText(const QString& entry, const QString& text)
{
    const std::optional<SiteSearch> split = splitEntry(entry);
    return split ? text + QStringLiteral(" site:") + split->host : text;
}

} // namespace quillmoor
