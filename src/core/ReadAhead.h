#pragma once

#include "FileCalls.h"

#include <QString>
#include <future>
#include <optional>
#include <utility>

namespace quillmoor {

// A file read on a thread of its own, begun before the window is built so
// that the read costs the start little more than the building does. The step
// that needs the file takes what was read as if it had read it then, unless
// the file is no longer the one that was read: then it reads it itself.
template <class Result> class ReadAhead {
public:
    // Calls `read` (which reads `path` and touches nothing the window's
    // thread does) on a thread of its own.
    template <class Read>
    ReadAhead(const QString& path, Read&& read)
        : path_(path)
        , stamp_(os::fileStamp(path))
        , result_(std::async(std::launch::async, std::forward<Read>(read)))
    {
    }
    ~ReadAhead()
    {
        if (result_.valid())
            result_.wait();
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // What was read of `path`, or nothing when `path` is another file or the
    // file changed since the read began; throws what the read threw. Taken
    // once: after that, always nothing.
    std::optional<Result> take(const QString& path)
    {
        if (!result_.valid())
            return std::nullopt;
        std::future<Result> result = std::move(result_);
        if (path != path_ || !(os::fileStamp(path) == stamp_)) {
            result.wait();
            return std::nullopt;
        }
        return result.get();
    }

private:
    QString path_;
    // Taken before the read began: a change during it shows as a change.
    os::FileStamp stamp_;
    std::future<Result> result_;
};

} // namespace quillmoor
