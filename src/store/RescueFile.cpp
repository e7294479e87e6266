#include "RescueFile.h"

#include "CarefulFile.h"
#include "Failure.h"
#include "IniEdit.h"
#include "ListVersion.h"
#include "SavedList.h"
#include "SearchMerge.h"
#include "SearchStore.h"
#include "SearchesFile.h"
#include "SettingsKeys.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>

namespace quillmoor {

namespace {
    const QString kSuffix = QStringLiteral(".rescued");
    // How the closing copy's list differed from the one it had saved last,
    // the base of its merge: what it added and what it dropped.
    const QString kAdded = QStringLiteral("SearchesAdded");
    const QString kDropped = QStringLiteral("SearchesDropped");
    // Rescue files before the list was held once kept the whole base.
    const QString kBase = QStringLiteral("SearchesBase");
    const QString kId = QStringLiteral("RescueId");
    // The settings file's note of the kept lists it has taken in.
    const QString kTakenIn = QStringLiteral("SearchesTakenIn");
    constexpr qsizetype kTakenInKept = 8;

    // The entries of `from` that `less` does not match, repeats counted.
    QStringList without(const QStringList& from, const QStringList& less)
    {
        QHash<QString, qsizetype> left;
        for (const QString& entry : less)
            ++left[entry];
        QStringList rest;
        for (const QString& entry : from) {
            auto it = left.find(entry);
            if (it != left.end() && *it > 0)
                --*it;
            else
                rest << entry;
        }
        return rest;
    }

    // A rescue file holds one list, as a settings file does: anything larger
    // is no rescue file of ours.
    constexpr qint64 kLargestRescueFile = kLargestSettingsFile;

    RescuedList readRescued(const QString& name, const QStringList& keys)
    {
        const qint64 size = QFileInfo(name).size();
        if (size > kLargestRescueFile)
            throw Failure(SearchStoreText::tr("\"%1\" is %2 MB, more than a saved list can be, so it is left as it is.")
                              .arg(name)
                              .arg(size >> 20));
        const StoredTexts stored = GetSettings(name, settings::kSection,
            QStringList {
                settings::kSearches, settings::kSearchesVersion, kAdded, kDropped, kBase, kId, settings::kLists }
                + keys + QStringList { settings::kListPrefix + u'*' });
        const QString searches = stored.values.value(settings::kSearches);
        if (searches.isNull() || !stored.allIni) {
            // Not taken for a list, and out of the way of the next start.
            QString aside;
            try {
                aside = keepAside(name, readOrdinaryFile(name).bytes).first;
                QFile::remove(name);
            } catch (const FileTrouble& why) {
                throw Failure(
                    SearchStoreText::tr("\"%1\" holds no list that could be taken back: %2.").arg(name, why.text));
            }
            throw Failure(SearchStoreText::tr("\"%1\" holds no list that could be taken back; it was moved to \"%2\".")
                              .arg(name, aside));
        }
        RescuedList list { name, storedEntries(searches), {}, stored.values.value(settings::kSearchesVersion), {},
            stored.values.value(kId) };
        const QString base = stored.values.value(kBase);
        list.base = !base.isNull() ? storedEntries(base)
                                   : without(list.entries, storedEntries(stored.values.value(kAdded)))
                + storedEntries(stored.values.value(kDropped));
        for (const QString& key : keys) {
            if (!stored.values.value(key).isNull())
                list.keys.append({ key, stored.values.value(key) });
        }
        if (!stored.values.value(settings::kLists).isNull()) {
            QHash<QString, StoredList> lists;
            for (auto it = stored.values.cbegin(); it != stored.values.cend(); ++it) {
                if (it.key().startsWith(settings::kListPrefix))
                    lists.insert(it.key(), { it.value(), QString() });
            }
            list.lists = listsOf(stored.values.value(settings::kLists), lists);
        }
        return list;
    }

    // The list once `rescued` is taken back into a file that holds
    // `searches` (null when none) at `version`: merged as the close that
    // kept it would have saved it then.
    QStringList withRescued(const QString& version, const QString& searches, const RescuedList& rescued)
    {
        const ListVersion known
            = rescued.version.isEmpty() ? ListVersion() : ListVersion::of(rescued.version, QStringLiteral(""));
        return listToStore(known, rescued.base, rescued.entries, version, searches).entries;
    }

    // Every list of `a` and of `b`, each with the entries of both.
    SavedLists withAdded(const SavedLists& a, const SavedLists& b)
    {
        if (b.onlyFirst())
            return a;
        SavedLists sum = a.names.isEmpty() ? b : a;
        for (const QString& name : b.names) {
            if (!sum.names.contains(name))
                sum.names << name;
            sum.entries[name] = addSearches(sum.entriesOf(name), b.entriesOf(name));
        }
        return sum;
    }

} // namespace

QString keepRescued(const QString& settingsFile, const RescuedList& list)
{
    const QString id = QString::number(QRandomGenerator::system()->generate64(), 16);
    QList<std::pair<QString, QString>> values = { { settings::kSearches, storedValue(list.entries) },
        { settings::kSearchesVersion, list.version }, { kAdded, storedValue(without(list.entries, list.base)) },
        { kDropped, storedValue(without(list.base, list.entries)) }, { kId, id } };
    values += list.keys;
    if (!list.lists.onlyFirst()) {
        values.append({ settings::kLists, storedValue(list.lists.names) });
        for (qsizetype i = 1; i < list.lists.names.size(); ++i) {
            const QString& name = list.lists.names[i];
            const QString value = storedValue(list.lists.entriesOf(name));
            values.append({ listKey(name), value.isNull() ? QStringLiteral("") : value });
        }
    }
    const std::optional<QByteArray> bytes = withIniValues(QByteArray(), settings::kSection, values);
    try {
        if (!bytes)
            throw FileTrouble { SearchStoreText::tr("the list would not read back as it is") };
        return keepAside(settingsFile, *bytes, kSuffix).first;
    } catch (const FileTrouble& why) {
        throw Failure(
            SearchStoreText::tr("The list could not be kept beside \"%1\" either: %2.").arg(settingsFile, why.text));
    }
}

QList<RescuedList> findRescued(const QString& settingsFile, const QStringList& keys, QString* trouble)
{
    QList<RescuedList> found;
    for (const QString& name : asideNames(settingsFile, kSuffix)) {
        if (!QFileInfo::exists(name))
            continue;
        try {
            found << readRescued(name, keys);
        } catch (const Failure& failure) {
            if (trouble->isNull())
                *trouble = failure.description();
        }
    }
    return found;
}

TakenBack takeBackRescued(const QString& settingsFile, const QStringList& keys)
{
    TakenBack taken;
    // Most starts find none, and take no lock for it.
    if (findRescued(settingsFile, keys, &taken.trouble).isEmpty())
        return taken;
    taken.trouble.clear();
    QStringList names = QStringList { settings::kSearches, settings::kSearchesVersion, kTakenIn } + keys;
    const qsizetype listsAt = names.size();
    // The lists the closes kept, with all they held, whatever their order.
    SavedLists lists;
    for (const RescuedList& list : findRescued(settingsFile, keys, &taken.trouble))
        lists = withAdded(lists, list.lists);
    names += listKeysToSave(lists, {});
    QStringList spelt;
    QStringList done;
    SaveSettings(settingsFile, settings::kSection, names,
        [&](const QStringList& stored) {
            // Looked for again under the lock: another copy starting at the
            // same moment may have taken them in already.
            const QList<RescuedList> found = findRescued(settingsFile, keys, &taken.trouble);
            QStringList takenIn = stored[2].split(u' ', Qt::SkipEmptyParts);
            QString searches = stored[0];
            QStringList texts = stored;
            for (const RescuedList& list : found) {
                done << list.file;
                if (!list.id.isEmpty() && takenIn.contains(list.id))
                    continue;
                const QStringList before = storedEntries(searches);
                const QStringList entries = withRescued(stored[1], searches, list);
                taken.searches += without(entries, before).size();
                searches = storedValue(entries);
                taken.keys = list.keys;
                if (!list.id.isEmpty())
                    takenIn << list.id;
            }
            if (searches != stored[0]) {
                texts[0] = searches.isNull() ? QStringLiteral("") : searches;
                texts[1] = ListVersion::after(ListVersion::of(stored[1], stored[0])).text();
            }
            texts[2] = takenIn.isEmpty()
                ? QString()
                : takenIn.mid(std::max<qsizetype>(0, takenIn.size() - kTakenInKept)).join(u' ');
            for (const auto& [key, value] : std::as_const(taken.keys))
                texts[names.indexOf(key)] = value;
            texts.resize(listsAt);
            if (!lists.onlyFirst())
                composeLists({}, lists, spelt, stored, listsAt, texts);
            else
                texts += stored.mid(listsAt);
            return texts;
        },
        { kLockWaitMs,
            [&] {
                for (const QString& file : std::as_const(done))
                    QFile::remove(file);
            },
            [&](const QStringList& keys) { spelt = keys; } });
    taken.files = done;
    return taken;
}

} // namespace quillmoor
