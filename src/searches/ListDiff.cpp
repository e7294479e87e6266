#include "ListDiff.h"

#include <vector>

namespace quillmoor {

namespace {
    using Changes = SearchListModel::Changes;

    // Rows compared at most: a diff of many changes scattered over a long
    // list costs about a comparison per row for each change, and past this
    // (some 20 ms) the window's thread would wait for it.
    constexpr qsizetype kMostComparisons = 2'000'000;
    // Changes sent to the view one by one at most.
    constexpr qsizetype kMostChanges = 64;

    // Myers' diff of a[0..n) and b[0..m): for each count of edits d up to
    // the furthest-reaching path on each diagonal k (x - y), from -d to d.
    // Empty when more than `maxEdits` edits or kMostComparisons are needed.
    template <class Same>
    std::vector<std::vector<qsizetype>> furthestPaths(qsizetype n, qsizetype m, qsizetype maxEdits, Same same)
    {
        qsizetype compared = 0;
        const qsizetype most = qMin(n + m, maxEdits);
        std::vector<qsizetype> v(size_t(2 * most + 3), 0);
        const qsizetype mid = most + 1;
        std::vector<std::vector<qsizetype>> trace;
        for (qsizetype d = 0; d <= most; ++d) {
            for (qsizetype k = -d; k <= d; k += 2) {
                // Down (an added row) from diagonal k+1, or right (a removed
                // row) from k-1, whichever has come further.
                qsizetype x
                    = (k == -d || (k != d && v[mid + k - 1] < v[mid + k + 1])) ? v[mid + k + 1] : v[mid + k - 1] + 1;
                qsizetype y = x - k;
                while (x < n && y < m && ++compared && same(x, y))
                    ++x, ++y;
                if (compared > kMostComparisons)
                    return {};
                v[mid + k] = x;
                if (x >= n && y >= m) {
                    trace.emplace_back(v.begin() + (mid - d), v.begin() + (mid + d + 1));
                    return trace;
                }
            }
            trace.emplace_back(v.begin() + (mid - d), v.begin() + (mid + d + 1));
        }
        return {};
    }

    // The rows both keep, as pairs of positions in a and b, last first:
    // the path back from the end, each edit and the run of equal rows after it.
    std::vector<std::pair<qsizetype, qsizetype>> keptRows(
        const std::vector<std::vector<qsizetype>>& trace, qsizetype n, qsizetype m)
    {
        std::vector<std::pair<qsizetype, qsizetype>> kept;
        qsizetype x = n;
        qsizetype y = m;
        for (qsizetype d = qsizetype(trace.size()) - 1; d > 0; --d) {
            const std::vector<qsizetype>& before = trace[size_t(d - 1)];
            const auto reached = [&](qsizetype diagonal) { return before[size_t(diagonal + d - 1)]; };
            const qsizetype k = x - y;
            const bool down = k == -d || (k != d && reached(k - 1) < reached(k + 1));
            const qsizetype fromX = reached(down ? k + 1 : k - 1);
            const qsizetype fromY = fromX - (down ? k + 1 : k - 1);
            const qsizetype editX = down ? fromX : fromX + 1;
            while (x > editX && y > editX - k) {
                --x, --y;
                kept.emplace_back(x, y);
            }
            x = fromX;
            y = fromY;
        }
        while (x > 0 && y > 0) {
            --x, --y;
            kept.emplace_back(x, y);
        }
        return kept;
    }
} // namespace

Changes listDiff(const QStringList& from, const QStringList& to, qsizetype maxEdits)
{
    // Most changes touch a few rows of a long list: what both begin and end
    // with is found first, cheaply.
    const qsizetype common = qMin(from.size(), to.size());
    qsizetype head = 0;
    while (head < common && from.at(head) == to.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < common - head && from.at(from.size() - 1 - tail) == to.at(to.size() - 1 - tail))
        ++tail;
    const qsizetype n = from.size() - head - tail;
    const qsizetype m = to.size() - head - tail;
    if (n == 0 && m == 0)
        return {};
    const auto whole = [&] { return Changes { { head, from.mid(head, n), to.mid(head, m) } }; };
    if (n == 0 || m == 0)
        return whole();
    const auto trace
        = furthestPaths(n, m, maxEdits, [&](qsizetype x, qsizetype y) { return from.at(head + x) == to.at(head + y); });
    if (trace.empty())
        return whole();
    auto kept = keptRows(trace, n, m);
    Changes changes;
    // Between two rows kept in a row of both lists lies one change.
    qsizetype x = 0;
    qsizetype y = 0;
    kept.insert(kept.begin(), { n, m });
    for (auto row = kept.rbegin(); row != kept.rend(); ++row) {
        if (row->first > x || row->second > y)
            changes.append({ head + x, from.mid(head + x, row->first - x), to.mid(head + y, row->second - y) });
        x = row->first + 1;
        y = row->second + 1;
    }
    // Each change costs the view a pass over its rows: hundreds of them (a
    // Remove Duplicates over a long list) would keep the window's thread for
    // a second, where one change from the first to the last costs one pass.
    if (changes.size() > kMostChanges) {
        const qsizetype last = changes.last().first + changes.last().before.size();
        const qsizetype lastTo = to.size() - (from.size() - last);
        return { { changes.first().first, from.mid(changes.first().first, last - changes.first().first),
            to.mid(changes.first().first, lastTo - changes.first().first) } };
    }
    return changes;
}

QList<RowsChanged> rowsChanged(const Changes& changes)
{
    QList<RowsChanged> rows;
    rows.reserve(changes.size());
    for (const SearchListModel::Change& change : changes)
        rows.append({ change.first, change.before.size(), change.after.size() });
    return rows;
}

namespace {
    // Across one change that made `near` rows (on the side others stand on)
    // of `far` (on the side they go to), from row `first` on.
    bool carryAcrossOne(qsizetype& first, qsizetype near, qsizetype far, QList<RowsChanged>& others)
    {
        qsizetype shift = 0;
        for (RowsChanged& other : others) {
            // Rows added right at the change's first row go above it.
            const bool above = other.removed > 0 ? other.first + other.removed <= first : other.first <= first;
            if (above) {
                shift += other.added - other.removed;
            } else if (other.first >= first + near) {
                other.first += far - near;
            } else {
                return false;
            }
        }
        first += shift;
        return true;
    }
} // namespace

bool carryAcross(Changes& step, QList<RowsChanged>& others, bool forward)
{
    // Back across a step is from its last change to its first.
    for (qsizetype i = 0; i < step.size(); ++i) {
        SearchListModel::Change& change = step[forward ? i : step.size() - 1 - i];
        const qsizetype made = change.after.size();
        const qsizetype was = change.before.size();
        if (!carryAcrossOne(change.first, forward ? was : made, forward ? made : was, others))
            return false;
    }
    return true;
}

} // namespace quillmoor
