#include "ListVersion.h"

#include "SavedList.h"
#include "SearchMerge.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <limits>

namespace quillmoor {

namespace {
    constexpr qsizetype kLineLength = 16; // hexadecimal digits
    constexpr qint64 kMostSaves = std::numeric_limits<qint64>::max();

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
    const qsizetype dot = version.indexOf(u'.');
    bool counted = false;
    const qint64 saves = dot == kLineLength ? version.mid(dot + 1).toLongLong(&counted) : 0;
    if (counted && saves >= 0)
        return { version.left(dot), saves };
    const QByteArray digest = QCryptographicHash::hash(searches.toUtf8(), QCryptographicHash::Sha256);
    return { QString::fromLatin1(digest.toHex().left(kLineLength)), 0 };
}

ListVersion ListVersion::after(const ListVersion& now)
{
    if (!now.isNone())
        return now.saves < kMostSaves ? ListVersion { now.line, now.saves + 1 }
                                      : ListVersion { lineAfter(now.line), 1 };
    const quint64 line = QRandomGenerator::system()->generate64();
    return { QStringLiteral("%1").arg(line, int(kLineLength), 16, QLatin1Char('0')), 1 };
}

QString ListVersion::text() const { return line + u'.' + QString::number(saves); }

bool ListVersion::leadsTo(const ListVersion& now) const
{
    if (line == now.line)
        return now.saves >= saves;
    return !isNone() && !now.isNone() && now.line == lineAfter(line);
}

ListToStore listToStore(const ListVersion& known, const QStringList& base, const QStringList& mine,
    const QString& version, const QString& searches)
{
    const ListVersion now = ListVersion::of(version, searches);
    ListToStore store;
    store.version = ListVersion::after(now);
    if (now.isNone())
        store.entries = mine;
    else if (known.isNone() || known.leadsTo(now))
        store.entries = mergeSearches(base, mine, storedEntries(searches));
    else
        store.entries = addSearches(mine, storedEntries(searches));
    return store;
}

} // namespace quillmoor
