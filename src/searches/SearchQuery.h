#pragma once

#include <QString>
#include <QUrl>

namespace quillmoor {

// The host a sub-site address restricts a search to: the address without its
// "http://" or "https://" (in any letter case) and its final "/", a path
// kept. An address without either scheme is used as it is.
QString siteHost(const QString& address);

// The search text, " site:" and the site host of `address`.
QString searchQuery(const QString& text, const QString& address);

// The example search that "Load Example/Sample Searches" adds.
QString exampleSearch();

} // namespace quillmoor
