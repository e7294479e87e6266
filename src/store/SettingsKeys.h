#pragma once

#include <QString>

namespace quillmoor::settings {

// The program's section of the settings file and the keys it keeps there.
inline const QString kSection = QStringLiteral("Quillmoor");
inline const QString kSearches = QStringLiteral("Searches");
// Which save of which file the saved searches are (see ListVersion.h).
inline const QString kSearchesVersion = QStringLiteral("SearchesVersion");
inline const QString kEngine = QStringLiteral("Engine");
inline const QString kPagesFrom = QStringLiteral("PagesFrom");
inline const QString kCombineCities = QStringLiteral("CombineCities");
inline const QString kAskBeforeManyPages = QStringLiteral("AskBeforeManyPages");
// When each saved search was last opened (see OpenedRecord.h).
inline const QString kSearchesOpened = QStringLiteral("SearchesOpened");
// The least milliseconds between two pages handed to the browser.
inline const QString kOpenPace = QStringLiteral("OpenPace");
inline const QString kWindowPlace = QStringLiteral("WindowPlace");
inline const QString kWindowMaximized = QStringLiteral("WindowMaximized");

} // namespace quillmoor::settings
