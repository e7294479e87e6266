#pragma once

#include "SearchEngine.h"

namespace quillmoor {

class Form1;
class SearchMenu;

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
};

// The choices checked in the menu; an unchecked one counts as the default.
WhereToOpen whereToOpen(const SearchMenu& menu);

// Offers the engines (with `where`'s own address when it has one) and the
// ages in the menu, checks `where`'s choices and shows them.
void offerWhereToOpen(Form1& form, const WhereToOpen& where);

// Disables the choices the checked engine lacks, and tells in the tool tips
// of the two Open buttons and entries where pages open.
void showWhereToOpen(Form1& form);

// "Opens in DuckDuckGo, pages from the past week", and for Open All when
// cities share pages, what follows.
QString whereToOpenText(const WhereToOpen& where, bool openAll);

} // namespace quillmoor
