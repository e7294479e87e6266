#include "WindowSlots.h"

#include <QDir>
#include <QLockFile>

namespace quillmoor::os {

WindowSlot::WindowSlot(const QString& folder)
{
    if (folder.isEmpty())
        return;
    for (int number = 0; number < kMostSlots; ++number) {
        auto lock = std::make_unique<QLockFile>(
            QDir(folder).absoluteFilePath(QStringLiteral("quillmoor-window-%1.lock").arg(number)));
        // Held as long as the window is open, however long: only a lock
        // whose process has ended is taken over.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            lock_ = std::move(lock);
            number_ = number;
            return;
        }
    }
    // Every number taken: the window opens where the last would.
    number_ = kMostSlots;
}

WindowSlot::~WindowSlot() = default;

} // namespace quillmoor::os
