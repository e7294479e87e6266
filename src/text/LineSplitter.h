#pragma once

#include <QString>
#include <QStringView>
#include <functional>

namespace quillmoor {

// Cuts text that arrives piece by piece into lines where list.txt's reader
// does: CR LF, LF and a lone CR each end a line, also when a piece ends
// between the CR and the LF.
class LineSplitter {
public:
    // Hands `take` every line that `text` completes, without its line
    // break; the unfinished rest waits for the next piece. With `last` the
    // rest is a line too, unless it is empty.
    void split(QStringView text, bool last, const std::function<void(QStringView line)>& take);
    // Forgets the unfinished line, to start again.
    void clear();

private:
    QString pending_;
    bool skipLF_ = false; // the last piece ended in CR: an LF next belongs to it
};

} // namespace quillmoor
