#pragma once

#include "FileCalls.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace quillmoor {

// Looks at the settings file, and for the conflict copies sync tools leave
// beside it, every so often on a thread of its own. A folder on a mount that
// stopped answering holds up that thread alone: the window only ever reads
// what it saw last, and nothing waits for it to end.
class FileLook {
public:
    struct Seen {
        os::PathKind file;
        QStringList copies;
    };

    FileLook(const QString& file, int everyMs);
    // Asks the thread to end, waiting a moment at most.
    ~FileLook();
    FileLook(const FileLook&) = delete;
    FileLook& operator=(const FileLook&) = delete;

    // What the latest look saw; nothing before the first has ended.
    std::optional<Seen> latest() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace quillmoor
