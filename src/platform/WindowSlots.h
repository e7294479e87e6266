#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace quillmoor::os {

// Where the program's windows open, told from one copy to the next: each
// open window holds one numbered lock file in `folder` (the user's runtime
// folder), the lowest free one. A copy that ends, even by a crash, frees its
// number, which its lock file records with its process id.
class WindowSlot {
public:
    explicit WindowSlot(const QString& folder);
    ~WindowSlot();
    WindowSlot(const WindowSlot&) = delete;
    WindowSlot& operator=(const WindowSlot&) = delete;

    // How many windows of other copies opened before this one and are
    // still open below its number: 0 for the first.
    int number() const { return number_; }

    static constexpr int kMostSlots = 16;

private:
    std::unique_ptr<QLockFile> lock_;
    int number_ = 0;
};

} // namespace quillmoor::os
