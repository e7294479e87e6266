#pragma once

#include "SearchEngine.h"

namespace quillmoor {

// Where the saved searches open: the engine, how old its pages may be, and
// whether Open All puts several cities on one page.
struct WhereToOpen {
    SearchEngine engine;
    PageAge age = PageAge::Any;
    bool combineCities = false;

    // What is used: an age or combining the engine does not offer is not.
    PageAge usedAge() const { return engine.hasAge(age) ? age : PageAge::Any; }
    bool combinesCities() const { return combineCities && engine.combinesSites(); }
    QUrl url(const QString& query) const;
    // The queries Open All opens for the saved `entries`, in order: the
    // entries themselves, or with cities combined on shared pages.
    QStringList openAllQueries(const QStringList& entries) const;
};

// "Opens in DuckDuckGo, pages from the past week", and for Open All when
// cities share pages, what follows.
QString whereToOpenText(const WhereToOpen& where, bool openAll);

} // namespace quillmoor
