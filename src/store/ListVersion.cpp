#include "ListVersion.h"

#include "SavedList.h"
#include "SearchMerge.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <algorithm>
#include <cctype>
#include <limits>

namespace quillmoor {

namespace {
    constexpr qsizetype kLineLength = 16; // hexadecimal digits
    constexpr qint64 kMostSaves = std::numeric_limits<qint64>::max();
    // How far back a version's marks reach: far more saves than one copy
    // misses between two looks at the file.
    constexpr qsizetype kMarksKept = 16;
    constexpr qsizetype kMarkLength = 8; // hexadecimal digits

    bool isMark(const QString& text)
    {
        return text.size() == kMarkLength
            && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return isxdigit(c.unicode()) != 0; });
    }

    // Which of all the saves made from one parent this one is: two
    // computers that save at once draw different marks.
    QString newMark()
    {
        return QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), int(kMarkLength), 16, QLatin1Char('0'));
    }

    // The line a line's saves go on in once its count is full: made from it
    // alone, so copies that carry it over agree, and so that a copy can
    // tell it from a file made anew.
    QString lineAfter(const QString& line)
    {
        const QByteArray digest = QCryptographicHash::hash("after " + line.toUtf8(), QCryptographicHash::Sha256);
        return QString::fromLatin1(digest.toHex().left(kLineLength));
    }
} // namespace

ListVersion ListVersion::of(const QString& version, const QString& searches)
{
    if (searches.isNull())
        return {};
    const QStringList parts = version.split(u'.');
    bool counted = false;
    const qint64 saves = parts.size() > 1 && parts[0].size() == kLineLength ? parts[1].toLongLong(&counted) : 0;
    if (counted && saves >= 0) {
        ListVersion known { parts[0], saves };
        for (qsizetype i = 2; i < parts.size() && known.marks.size() < kMarksKept && isMark(parts[i]); ++i)
            known.marks << parts[i].toLower();
        return known;
    }
    const QByteArray digest = QCryptographicHash::hash(searches.toUtf8(), QCryptographicHash::Sha256);
    return { QString::fromLatin1(digest.toHex().left(kLineLength)), 0 };
}

ListVersion ListVersion::after(const ListVersion& now)
{
    if (now.isNone()) {
        const quint64 line = QRandomGenerator::system()->generate64();
        return { QStringLiteral("%1").arg(line, int(kLineLength), 16, QLatin1Char('0')), 1, { newMark() } };
    }
    ListVersion next
        = now.saves < kMostSaves ? ListVersion { now.line, now.saves + 1 } : ListVersion { lineAfter(now.line), 1 };
    next.marks = QStringList(newMark()) + now.marks.mid(0, kMarksKept - 1);
    return next;
}

QString ListVersion::text() const
{
    QString text = line + u'.' + QString::number(saves);
    for (const QString& mark : marks)
        text += u'.' + mark;
    return text;
}

bool ListVersion::leadsTo(const ListVersion& now) const
{
    // How many saves `now` is ahead of this one on its line, or on the line
    // after it, where the count went on from its top.
    qint64 back = 0;
    if (line == now.line) {
        if (now.saves < saves)
            return false;
        back = now.saves - saves;
    } else if (!isNone() && !now.isNone() && now.line == lineAfter(line)) {
        if (marks.isEmpty() || now.marks.isEmpty())
            return true;
        if (kMostSaves - saves >= kMarksKept)
            return false;
        back = kMostSaves - saves + now.saves;
    } else {
        return false;
    }
    if (marks.isEmpty() || now.marks.isEmpty())
        return true;
    return back < now.marks.size() && now.marks[back] == marks.constFirst();
}

void KnownSaves::add(ListVersion version, QStringList entries)
{
    if (!saves_.isEmpty() && saves_.constFirst().version.text() == version.text())
        saves_.removeFirst();
    saves_.prepend({ std::move(version), std::move(entries) });
    if (saves_.size() > kKept)
        saves_.removeLast();
}

const KnownSaves::Save* KnownSaves::ancestorOf(const ListVersion& now) const
{
    for (const Save& save : saves_) {
        if (save.version.isNone() || save.version.leadsTo(now))
            return &save;
    }
    return nullptr;
}

ListToStore listToStore(const ListVersion& known, const QStringList& base, const QStringList& mine,
    const QString& version, const QString& searches)
{
    return listToStore(KnownSaves(known, base), mine, version, searches);
}

ListToStore listToStore(
    const KnownSaves& known, const QStringList& mine, const QString& version, const QString& searches)
{
    const ListVersion now = ListVersion::of(version, searches);
    ListToStore store;
    store.version = ListVersion::after(now);
    if (now.isNone())
        store.entries = mine;
    else if (known.isEmpty())
        store.entries = mergeSearches({}, mine, storedEntries(searches));
    else if (const KnownSaves::Save* from = known.ancestorOf(now))
        store.entries = mergeSearches(from->entries, mine, storedEntries(searches));
    else
        store.entries = addSearches(mine, storedEntries(searches));
    return store;
}

} // namespace quillmoor
