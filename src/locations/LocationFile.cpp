#include "LocationFile.h"

#include "Failure.h"
#include "LocationLine.h"
#include "NameMatcher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtAlgorithms>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quillmoor {

namespace {

    QString tr(const char* text) { return QCoreApplication::translate("LocationFile", text); }

    // Large enough that a filter keystroke makes few system calls, small enough
    // that a file of hundreds of megabytes is never held twice in memory.
    constexpr qint64 kChunkBytes = 1 << 20;

    // List rows keep 32-bit lengths; no real line comes near this.
    constexpr qsizetype kLongestLine = std::numeric_limits<qint32>::max();

} // namespace

LocationFile::LocationFile(const QString& path)
    : file_(path)
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

template <class LocationSink> std::optional<QString> LocationFile::forEachLine(ItemBatch& store, LocationSink&& sink)
{
    QStringDecoder decoder(QStringDecoder::System);
    QByteArray bytes(kChunkBytes, Qt::Uninitialized);
    QString text = store.takeBuffer(); // the unfinished line of the last chunk, then the next chunk
    bool skipLF = false; // the previous chunk ended in CR: an LF at the start belongs to it
    qsizetype number = 0;

    for (;;) {
        const qint64 got = file_.read(bytes.data(), bytes.size());
        if (got < 0)
            throw Failure(
                tr("The location file \"%1\" could not be read: %2.").arg(file_.fileName(), file_.errorString()));
        const bool atEnd = got == 0;
        // Decoded straight behind the unfinished line, with no copy between.
        const QByteArrayView input(bytes.constData(), got);
        const qsizetype kept = text.size();
        text.resize(kept + decoder.requiredSpace(input.size()));
        const QChar* end = decoder.appendToBuffer(text.data() + kept, input);
        text.truncate(end - text.constData());

        // The store holds the chunk, so rows can point into it.
        const qint32 chunk = store.hold(std::move(text));
        const QStringView all(store.chunk(chunk));
        const char16_t* chars = all.utf16();
        const qsizetype size = all.size();
        qsizetype start = 0;
        if (skipLF && size > 0) {
            if (chars[0] == u'\n')
                start = 1;
            skipLF = false;
        }

        qsizetype commas[3];
        int commaCount = 0;
        std::optional<QString> fault;
        // Hands one complete line to the sink; false when it is short.
        const auto deliver = [&](QStringView line) {
            ++number;
            if (commaCount < 2 || line.size() > kLongestLine) {
                fault = badLine(number, line);
                return false;
            }
            const qsizetype third = commaCount > 2 ? commas[2] : line.size();
            sink(LocationLine { line.first(commas[0]), line.sliced(commas[0] + 1, commas[1] - commas[0] - 1),
                     line.sliced(commas[1] + 1, third - commas[1] - 1) },
                chunk);
            return true;
        };
        const auto hit = [&](qsizetype i) {
            if (i < start)
                return true; // the LF of a CR LF already taken
            const char16_t c = chars[i];
            if (c == u',') {
                if (commaCount < 3)
                    commas[commaCount] = i - start;
                ++commaCount;
                return true;
            }
            if (!deliver(all.sliced(start, i - start)))
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
        // at a time; everything else is never looked at one by one.
        qsizetype i = start;
#ifdef __SSE2__
        const __m128i comma = _mm_set1_epi16(u','), cr = _mm_set1_epi16(u'\r'), lf = _mm_set1_epi16(u'\n');
        for (; i + 8 <= size; i += 8) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + i));
            const __m128i found = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi16(block, comma), _mm_cmpeq_epi16(block, cr)), _mm_cmpeq_epi16(block, lf));
            // Two mask bits a character; keep one.
            for (unsigned mask = unsigned(_mm_movemask_epi8(found)) & 0x5555u; mask != 0; mask &= mask - 1) {
                if (!hit(i + qCountTrailingZeroBits(mask) / 2))
                    return fault;
            }
        }
#endif
        for (; i < size; ++i) {
            const char16_t c = chars[i];
            if ((c == u',' || c == u'\r' || c == u'\n') && !hit(i))
                return fault;
        }

        if (atEnd) {
            // A last line without a line break counts like any other.
            if (start < size && !deliver(all.sliced(start)))
                return fault;
            store.releaseUnused(chunk);
            return std::nullopt;
        }
        text = store.takeBuffer();
        text.append(all.sliced(start));
        store.releaseUnused(chunk);
    }
}

QString LocationFile::badLine(qsizetype number, QStringView line) const
{
    const QString shown = line.left(80).toString();
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
    return forEachLine(out, [&](const LocationLine& location, qint32 chunk) {
        if (matcher.in(location.name, location.addition.isEmpty() ? QStringView() : separator, location.addition))
            out.add(ItemBatch::Row { out.spanIn(chunk, location.address), out.spanIn(chunk, location.name),
                out.spanIn(chunk, location.addition) });
    });
}

qsizetype LocationFile::readAndSplit()
{
    ItemBatch buffers;
    qsizetype fields = 0;
    forEachLine(buffers, [&](const LocationLine& location, qint32) { fields += location.address.size(); });
    return fields;
}

} // namespace quillmoor
