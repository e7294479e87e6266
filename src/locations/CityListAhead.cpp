#include "CityListAhead.h"

#include "LocationFile.h"

#include <QFileInfo>

namespace quillmoor {

CityListAhead::CityListAhead(const QString& path)
    : path_(path)
    , stamp_(stampOf(path))
{
    read_ = std::async(std::launch::async, [path] {
        Read read;
        LocationFile file(path);
        read.fault = file.read({}, read.items);
        return read;
    });
}

CityListAhead::~CityListAhead()
{
    if (read_.valid())
        read_.wait();
}

bool CityListAhead::Stamp::operator==(const Stamp& other) const
{
    return size == other.size && modified == other.modified && changed == other.changed;
}

CityListAhead::Stamp CityListAhead::stampOf(const QString& path)
{
    const QFileInfo info(path);
    // Not cached: the second look must see the file as it is then.
    return { info.exists() ? info.size() : -1, info.lastModified(), info.metadataChangeTime() };
}

std::optional<CityListAhead::Read> CityListAhead::take(const QString& path)
{
    if (!read_.valid())
        return std::nullopt;
    std::future<Read> read = std::move(read_);
    if (path != path_ || !(stampOf(path) == stamp_)) {
        read.wait();
        return std::nullopt;
    }
    return read.get();
}

} // namespace quillmoor
