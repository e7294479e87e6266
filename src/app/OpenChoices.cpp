#include "OpenChoices.h"

#include "Form1.h"
#include "SearchMenu.h"
#include "SearchStore.h"
#include "WhereToOpen.h"

#include <QFile>
#include <QFileInfo>

namespace quillmoor {

namespace {
    const QString kSection = QStringLiteral("Quillmoor");
    const QString kEngine = QStringLiteral("Engine");
    const QString kPagesFrom = QStringLiteral("PagesFrom");
    const QString kCombineCities = QStringLiteral("CombineCities");
} // namespace

void OpenChoices::restore(Form1& form, const QString& settingsFile)
{
    // Read without a second report or a second copy kept aside: the saved
    // searches were read from the same file just before, and a file that
    // cannot be read has been reported then. Anything but an ordinary file
    // is left alone, never waited on.
    QByteArray bytes;
    if (QFileInfo(settingsFile).isFile()) {
        QFile file(settingsFile);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    }
    // One scan of the file for the three keys.
    const IniScan scan = scanIni(bytes);
    const auto stored = [&](const QString& key) {
        const IniRead read = readIniKey(bytes, scan, kSection, key);
        return read.isText && !scan.hasUnclosedHeader() ? read.text : QString();
    };
    WhereToOpen where;
    where.engine = SearchEngine::fromKey(stored(kEngine)).value_or(SearchEngine());
    where.age = pageAgeFromKey(stored(kPagesFrom)).value_or(PageAge::Any);
    where.combineCities = stored(kCombineCities) == u"true";
    offerWhereToOpen(form, where);
}

QList<std::pair<QString, ComposeSetting>> OpenChoices::chosenKeys(const Form1& form) const
{
    const SearchMenu& menu = *form.mnuSearches;
    const std::pair<bool, std::pair<QString, QString>> keys[] = {
        { engine_, { kEngine, menu.engine() } },
        { age_, { kPagesFrom, menu.age() } },
        { combine_, { kCombineCities, menu.combinesCities() ? QStringLiteral("true") : QStringLiteral("false") } },
    };
    QList<std::pair<QString, ComposeSetting>> chosen;
    for (const auto& [isChosen, keyValue] : keys) {
        if (isChosen)
            chosen.append({ keyValue.first, [value = keyValue.second](const QString&) { return value; } });
    }
    return chosen;
}

} // namespace quillmoor
