// list.txt from any bytes: the reader answers rows or a fault, never more
// rows than lines, no line break inside a field, and the same whatever size
// its reads have. The first byte picks the read size and the filter.
#include "FuzzCheck.h"
#include "ItemBatch.h"
#include "LocationFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <optional>

using namespace quillmoor;

namespace {

struct Result {
    QStringList rows;
    std::optional<QString> fault;
    bool operator==(const Result& other) const { return rows == other.rows && fault == other.fault; }
};

Result readList(const QString& path, qint64 readBytes, const QString& filter)
{
    LocationFile file(path, readBytes);
    ItemBatch batch;
    Result result;
    result.fault = file.read(filter, batch);
    for (qsizetype i = 0; i < batch.size(); ++i)
        result.rows << batch.text(i).toString() + u'\x1F' + batch.subText(i);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("list.txt"));
    if (size == 0)
        return 0;
    const uchar choice = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    }
    const QString filters[] = { QString(), QStringLiteral("a"), QStringLiteral("\u00E9"), QStringLiteral(", ") };
    const QString filter = filters[choice >> 6];
    const Result whole = readList(path, LocationFile::kReadBytes, filter);
    const Result pieces = readList(path, 1 + (choice & 0x3F), filter);
    FUZZ_CHECK(whole == pieces);

    const qsizetype lines = bytes.count('\n') + bytes.count('\r') + 1;
    FUZZ_CHECK(whole.rows.size() <= lines);
    for (const QString& row : whole.rows) {
        FUZZ_CHECK(!row.contains(u'\n') && !row.contains(u'\r'));
        // Neither a NUL nor a byte-order mark reaches an address.
        const QString address = row.section(u'\x1F', 0, 0);
        FUZZ_CHECK(!address.contains(QChar()) && !address.startsWith(u'\uFEFF'));
    }
    if (whole.fault) {
        FUZZ_CHECK(!whole.fault->isEmpty());
        // The report quotes the line whole: one line, of bounded length.
        FUZZ_CHECK(!whole.fault->contains(u'\n') && !whole.fault->contains(u'\r') && !whole.fault->contains(QChar()));
        // At most 80 characters quoted, each at most six as an escape, in
        // a sentence of about 150 characters around the file's name.
        FUZZ_CHECK(whole.fault->size() <= 6 * 80 + 1 + 200 + path.size());
    }
    return 0;
}
