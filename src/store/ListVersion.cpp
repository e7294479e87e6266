#include "ListVersion.h"

#include "SavedList.h"
#include "SearchMerge.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace quillmoor {

namespace {
    constexpr qsizetype kLineLength = 16; // hexadecimal digits
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
        return { now.line, now.saves + 1 };
    const quint64 line = QRandomGenerator::system()->generate64();
    return { QStringLiteral("%1").arg(line, int(kLineLength), 16, QLatin1Char('0')), 1 };
}

QString ListVersion::text() const { return line + u'.' + QString::number(saves); }

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
