#include "FileLook.h"

#include "CarefulFile.h"
#include "ConflictCopies.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quillmoor {

namespace {
    constexpr int kEndWaitMs = 200;
}

// Owned together by the window's side and the thread, so either may go
// first.
struct FileLook::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool ended = false;
    std::optional<Seen> seen;
};

FileLook::FileLook(const QString& file, int everyMs)
    : shared_(std::make_shared<Shared>())
{
    std::thread([shared = shared_, file, every = std::chrono::milliseconds(everyMs)] {
        std::unique_lock<std::mutex> held(shared->mutex);
        while (!shared->stop) {
            held.unlock();
            Seen seen;
            try {
                seen.file = os::pathKind(resolveLinks(file));
            } catch (const FileTrouble&) {
                // Seen as no file; the save says what is wrong.
            }
            seen.copies = conflictCopiesOf(file);
            held.lock();
            shared->seen = std::move(seen);
            shared->wake.wait_for(held, every, [&] { return shared->stop; });
        }
        shared->ended = true;
        shared->wake.notify_all();
    }).detach();
}

FileLook::~FileLook()
{
    std::unique_lock<std::mutex> held(shared_->mutex);
    shared_->stop = true;
    shared_->wake.notify_all();
    // A look of a few milliseconds ends before the program does; one that
    // hangs on a mount is left to the system.
    shared_->wake.wait_for(held, std::chrono::milliseconds(kEndWaitMs), [&] { return shared_->ended; });
}

std::optional<FileLook::Seen> FileLook::latest() const
{
    const std::lock_guard<std::mutex> held(shared_->mutex);
    return shared_->seen;
}

} // namespace quillmoor
