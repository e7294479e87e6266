#include "RescueFile.h"

#include "CarefulFile.h"
#include "Failure.h"
#include "IniEdit.h"
#include "ListVersion.h"
#include "SavedList.h"
#include "SearchStore.h"
#include "SettingsKeys.h"

#include <QFileInfo>

namespace quillmoor {

namespace {
    const QString kSuffix = QStringLiteral(".rescued");
    // The list the closing copy had saved last, the base of its merge.
    const QString kBase = QStringLiteral("SearchesBase");
} // namespace

QString keepRescued(const QString& settingsFile, const RescuedList& list)
{
    QList<std::pair<QString, QString>> values = { { settings::kSearches, storedValue(list.entries) },
        { settings::kSearchesVersion, list.version }, { kBase, storedValue(list.base) } };
    values += list.keys;
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
            const StoredTexts stored = GetSettings(name, settings::kSection,
                QStringList { settings::kSearches, settings::kSearchesVersion, kBase } + keys);
            RescuedList list { name, storedEntries(stored.values.value(settings::kSearches)),
                storedEntries(stored.values.value(kBase)), stored.values.value(settings::kSearchesVersion), {} };
            for (const QString& key : keys) {
                if (!stored.values.value(key).isNull())
                    list.keys.append({ key, stored.values.value(key) });
            }
            found << list;
        } catch (const Failure& failure) {
            if (trouble->isNull())
                *trouble = failure.description();
        }
    }
    return found;
}

QStringList withRescued(const QString& version, const QString& searches, const RescuedList& rescued)
{
    // That close knew the file at rescued.version, with its base then.
    const ListVersion known
        = rescued.version.isEmpty() ? ListVersion() : ListVersion::of(rescued.version, QStringLiteral(""));
    return listToStore(known, rescued.base, rescued.entries, version, searches).entries;
}

} // namespace quillmoor
