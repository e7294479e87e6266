#include "LocationFile.h"

#include "ErrorReport.h"
#include "Failure.h"
#include "LocationLine.h"
#include "NameMatcher.h"
#include "TextDecoder.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QtAlgorithms>
#include <cstring>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quillmoor {

namespace {

    // List rows keep 32-bit lengths; no real line comes near this.
    constexpr qsizetype kLongestLine = std::numeric_limits<qint32>::max();

} // namespace

LocationFile::LocationFile(const QString& path, qint64 readBytes)
    : file_(path)
    , readBytes_(qMax<qint64>(readBytes, 1))
{
    // A folder or a pipe of that name is no list: opening a pipe would wait
    // for a writer with the window frozen.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw Failure(tr("The location file \"%1\" could not be opened: it is not an ordinary file.").arg(path));
    // Read in large blocks of our own: a second buffer would only copy.
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw Failure(tr("The location file \"%1\" could not be opened: %2.").arg(path, file_.errorString()));
}

QString LocationFile::pathIn(const QString& folder) { return folder + QStringLiteral("/list.txt"); }

template <class LocationSink, class Forget>
std::optional<QString> LocationFile::forEachLine(ItemBatch& store, LocationSink&& sink, Forget&& forget)
{
    TextDecoder decoder;
    const ItemBatch::Mark before = store.mark();
    for (;;) {
        bool again = false;
        std::optional<QString> fault = readLines(decoder, store, sink, again);
        if (!again)
            return fault;
        // Taken for UTF-8 until a byte showed otherwise: every row so far
        // is read again in the file's real code page.
        store.rollBack(before);
        forget();
        if (!file_.seek(0))
            throw Failure(
                tr("The location file \"%1\" could not be read: %2.").arg(file_.fileName(), file_.errorString()));
    }
}

bool LocationFile::restIsUtf8(TextDecoder& decoder, QByteArray& bytes, qsizetype carried)
{
    QString text;
    while (decoder.mayStartAgain()) {
        const qint64 got = readInto(bytes.data() + carried);
        text.resize(0);
        const qsizetype used = decoder.decode(QByteArrayView(bytes.constData(), carried + got), got == 0, text);
        if (used == TextDecoder::kStartAgain)
            return false;
        carried = carried + got - used;
        std::memmove(bytes.data(), bytes.constData() + used, size_t(carried));
    }
    return true;
}

qint64 LocationFile::readInto(char* to)
{
    const qint64 got = file_.read(to, readBytes_);
    if (got < 0)
        throw Failure(tr("The location file \"%1\" could not be read: %2.").arg(file_.fileName(), file_.errorString()));
    return got;
}

template <class LocationSink>
std::optional<QString> LocationFile::readLines(TextDecoder& decoder, ItemBatch& store, LocationSink& sink, bool& again)
{
    // One read, behind the start of a character the previous read cut off.
    QByteArray bytes(readBytes_ + TextDecoder::kLongestCut, Qt::Uninitialized);
    qsizetype carried = 0;
    // The unfinished line, then the text of the next read behind it. It goes
    // into the store only once a line in it ends: a line longer than a read
    // grows in place instead of being copied and scanned again at every read.
    QString text = store.takeBuffer();
    qsizetype start = 0; // where the unfinished line begins in `text`
    qsizetype scanned = 0; // what of `text` has been looked at
    qsizetype commas[3]; // the first three commas of the unfinished line, from its start
    int commaCount = 0;
    bool skipLF = false; // the last line ended in CR: an LF next belongs to it
    qsizetype number = 0;
    std::optional<QString> fault;
    // A short line ends the reading, but the code page is that of the whole
    // file: what follows may still show that it is no UTF-8.
    const auto faultFound = [&] {
        if (decoder.mayStartAgain() && !restIsUtf8(decoder, bytes, carried))
            again = true;
        return fault;
    };

    for (;;) {
        const qint64 got = readInto(bytes.data() + carried);
        const bool atEnd = got == 0;
        const qsizetype have = carried + qsizetype(got);
        const qsizetype used = decoder.decode(QByteArrayView(bytes.constData(), have), atEnd, text);
        if (used == TextDecoder::kStartAgain) {
            again = true;
            return std::nullopt;
        }
        carried = have - used;
        std::memmove(bytes.data(), bytes.constData() + used, size_t(carried));

        const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
        const qsizetype size = text.size();
        if (skipLF && scanned < size) {
            if (chars[scanned] == u'\n')
                start = scanned = scanned + 1;
            skipLF = false;
        }
        qint32 chunk = -1; // `text` once the store holds it
        // Hands one complete line to the sink; false when it is short.
        const auto deliver = [&](qsizetype end) {
            ++number;
            const QStringView line(chars + start, end - start);
            if (commaCount < 2 || line.size() > kLongestLine) {
                fault = badLine(number, line);
                return false;
            }
            if (chunk < 0)
                chunk = store.hold(std::move(text)); // moves no character: `chars` stays valid
            const qsizetype third = commaCount > 2 ? commas[2] : line.size();
            sink(LocationLine { line.first(commas[0]), line.sliced(commas[0] + 1, commas[1] - commas[0] - 1),
                     line.sliced(commas[1] + 1, third - commas[1] - 1), line.sliced(qMin(third + 1, line.size())) },
                chunk);
            return true;
        };
        const auto hit = [&](qsizetype i) {
            const char16_t c = chars[i];
            if (c == u',') {
                if (commaCount < 3)
                    commas[commaCount] = i - start;
                ++commaCount;
                return true;
            }
            if (!deliver(i))
                return false;
            start = i + 1;
            if (c == u'\r') {
                if (i + 1 == size)
                    skipLF = true;
                else if (chars[i + 1] == u'\n')
                    start = i + 2;
            }
            commaCount = 0;
            return true;
        };

        // Only commas and line ends matter. SSE2 finds them eight characters
        // at a time; everything else is never looked at one by one. The LF of
        // a CR LF lies before `start` and is passed over.
        qsizetype i = scanned;
#ifdef __SSE2__
        const __m128i comma = _mm_set1_epi16(u','), cr = _mm_set1_epi16(u'\r'), lf = _mm_set1_epi16(u'\n');
        for (; i + 8 <= size; i += 8) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + i));
            const __m128i found = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi16(block, comma), _mm_cmpeq_epi16(block, cr)), _mm_cmpeq_epi16(block, lf));
            // Two mask bits a character; keep one.
            for (unsigned mask = unsigned(_mm_movemask_epi8(found)) & 0x5555u; mask != 0; mask &= mask - 1) {
                const qsizetype at = i + qCountTrailingZeroBits(mask) / 2;
                if (at >= start && !hit(at))
                    return faultFound();
            }
        }
#endif
        for (; i < size; ++i) {
            const char16_t c = chars[i];
            if ((c == u',' || c == u'\r' || c == u'\n') && i >= start && !hit(i))
                return faultFound();
        }

        if (atEnd) {
            // A last line without a line break counts like any other.
            if (start < size && !deliver(size))
                return faultFound();
            if (chunk >= 0)
                store.releaseUnused(chunk);
            return std::nullopt;
        }
        if (chunk >= 0) {
            // Only the unfinished line, at most one read long, moves on.
            text = store.takeBuffer();
            text.append(QStringView(chars + start, size - start));
            store.releaseUnused(chunk);
            scanned = size - start;
            start = 0;
        } else {
            scanned = size;
        }
    }
}

QString LocationFile::badLine(qsizetype number, QStringView line) const
{
    const QString shown = quotedExcerpt(line);
    const QString what = line.isEmpty() ? tr("is empty")
        : line.size() > kLongestLine    ? tr("is too long")
        : !line.contains(u',')          ? tr("has no comma (\"%1\")").arg(shown)
                                        : tr("has only two fields (\"%1\")").arg(shown);
    return tr("Line %1 of the location file \"%2\" %3; every line needs an address, a name and an addition, "
              "separated by commas.")
        .arg(number)
        .arg(file_.fileName(), what);
}

std::optional<QString> LocationFile::read(QStringView filter, ItemBatch& out)
{
    const NameMatcher matcher(filter);
    const QStringView separator = u", ";
    out.setJoiner(separator.toString());
    return forEachLine(
        out,
        [&](const LocationLine& location, qint32 chunk) {
            if (matcher.in(location.name, location.addition.isEmpty() ? QStringView() : separator, location.addition))
                out.add(chunk, location.address, qint32(location.name.size()), qint32(location.addition.size()));
        },
        [] {});
}

std::optional<QString> LocationFile::forEachLocation(
    QStringView filter, const std::function<void(const LocationLine&)>& visit, const std::function<void()>& restart)
{
    const NameMatcher matcher(filter);
    ItemBatch buffers;
    return forEachLine(
        buffers,
        [&](const LocationLine& location, qint32) {
            if (matcher.in(location.name, location.addition.isEmpty() ? QStringView() : u", ", location.addition))
                visit(location);
        },
        restart);
}

qsizetype LocationFile::readAndSplit()
{
    ItemBatch buffers;
    qsizetype fields = 0;
    forEachLine(
        buffers, [&](const LocationLine& location, qint32) { fields += location.address.size(); }, [&] { fields = 0; });
    return fields;
}

} // namespace quillmoor
