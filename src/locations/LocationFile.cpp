#include "LocationFile.h"

#include "ErrorReport.h"
#include "Failure.h"
#include "LocationLine.h"
#include "NameMatcher.h"
#include "PathWalk.h"
#include "TextDecoder.h"

#include <QtAlgorithms>
#include <cerrno>
#include <cstring>
#include <type_traits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quillmoor {

LocationFile::LocationFile(const QString& path, qint64 readBytes)
    : path_(path)
    , readBytes_(qMax<qint64>(readBytes, 1))
{
    // Opened once where its links lead, and checked on what was opened (a
    // pipe would wait for a writer with the window frozen); read in large
    // blocks of our own, as a second buffer would only copy.
    QString shared;
    const os::OpenedFile opened = os::openResolved(path, &shared);
    QString why = opened.error != 0 || !opened.exists
        ? QString::fromLocal8Bit(std::strerror(opened.error ? opened.error : ENOENT))
        : !opened.ordinary ? tr("it is not an ordinary file")
                           : QString();
    if (!shared.isEmpty())
        why = tr(
            "%1 is a symbolic link that another user made in a folder everyone may write to, so it is not followed")
                  .arg(shared);
    else if (why.isEmpty()
        && !file_.open(opened.fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        why = file_.errorString();
    if (!why.isEmpty())
        throw Failure(tr("The location file \"%1\" could not be opened: %2.").arg(path, why));
}

QString LocationFile::pathIn(const QString& folder) { return folder + QStringLiteral("/list.txt"); }

LocationFile::WholeList LocationFile::readWhole(const QString& path)
{
    WholeList list;
    LocationFile file(path);
    list.fault = file.read({}, list.items);
    return list;
}

template <class LocationSink, class Forget>
std::optional<QString> LocationFile::forEachLine(ItemBatch& store, LocationSink&& sink, Forget&& forget)
{
    TextDecoder decoder;
    decoder.lookAtStart(firstBytes());
    const ItemBatch::Mark before = store.mark();
    for (;;) {
        bool again = false;
        std::optional<QString> fault
            = Pass<std::remove_reference_t<LocationSink>>(*this, decoder, store, sink).run(again);
        if (!again)
            return fault;
        // Taken for UTF-8 until a byte showed otherwise: every row so far
        // is read again in the file's real code page.
        store.rollBack(before);
        forget();
        if (!file_.seek(0))
            throw readFailure();
    }
}

QByteArray LocationFile::firstBytes()
{
    // A first line is rarely longer.
    QByteArray bytes(4096, Qt::Uninitialized);
    const qint64 got = file_.read(bytes.data(), bytes.size());
    if (got < 0 || !file_.seek(0))
        throw readFailure();
    bytes.truncate(got);
    return bytes;
}

Failure LocationFile::readFailure() const
{
    return Failure(tr("The location file \"%1\" could not be read: %2.").arg(path_, file_.errorString()));
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
    // Its size is taken at the first read; it may grow while it is read.
    const qint64 size = file_.pos() == 0 ? file_.size() : file_.pos();
    if (size > kLargestFile) {
        const QString text = tr("The location file \"%1\" is not read: at %2 MB it is larger than the %3 MB allowed.");
        throw Failure(text.arg(path_).arg((size + (1 << 20) - 1) >> 20).arg(kLargestFile >> 20));
    }
    const qint64 got = file_.read(to, readBytes_);
    if (got < 0)
        throw readFailure();
    return got;
}

// The text of one read is scanned for commas, line ends and NULs only. A line
// that the read leaves unfinished moves on to the front of the next read's
// text; every complete line goes to the sink, its fields pointing into the
// text, which the store then keeps.
template <class LocationSink> class LocationFile::Pass {
public:
    Pass(LocationFile& file, TextDecoder& decoder, ItemBatch& store, LocationSink& sink)
        : file_(file)
        , decoder_(decoder)
        , store_(store)
        , sink_(sink)
        , bytes_(file.readBytes_ + TextDecoder::kLongestCut, Qt::Uninitialized)
        , text_(store.takeBuffer())
    {
    }

    // Answers the fault of the first faulty line, if any; sets `again` when
    // the code page taken for the file was wrong.
    std::optional<QString> run(bool& again)
    {
        for (;;) {
            bool atEnd = false;
            if (!decodeNext(atEnd)) {
                again = true;
                return std::nullopt;
            }
            if (!scan())
                return stopAtFault(again);
            if (atEnd) {
                // A last line without a line break counts like any other.
                if (start_ < size_ && !deliver(size_))
                    return stopAtFault(again);
                if (chunk_ >= 0)
                    store_.releaseUnused(chunk_);
                return std::nullopt;
            }
            carryUnfinished();
        }
    }

private:
    bool decodeNext(bool& atEnd);
    // The scan and what it calls for every comma and line end are kept in
    // one piece of machine code, as the compiler would not on its own.
    Q_ALWAYS_INLINE bool scan();
    Q_ALWAYS_INLINE bool atSeparator(qsizetype i);
    Q_ALWAYS_INLINE bool deliver(qsizetype end);
    QStringView withoutMark(QStringView line);
    void carryUnfinished();
    std::optional<QString> stopAtFault(bool& again);

    LocationFile& file_;
    TextDecoder& decoder_;
    ItemBatch& store_;
    LocationSink& sink_;
    // One read, behind the start of a character the previous read cut off.
    QByteArray bytes_;
    qsizetype carried_ = 0; // the bytes of that cut character
    // The unfinished line, then the text of the last read behind it. It goes
    // into the store only once a line in it ends: a line longer than a read
    // grows in place instead of being copied and scanned again at every read.
    QString text_;
    const char16_t* chars_ = nullptr; // the characters of `text_`, also once the store holds them
    qsizetype size_ = 0;
    qint32 chunk_ = -1; // `text_` once the store holds it
    qsizetype start_ = 0; // where the unfinished line begins
    qsizetype scanned_ = 0; // what of the text has been looked at
    qsizetype commas_[3]; // the first three commas of the unfinished line, from its start
    int commaCount_ = 0;
    bool nulInAddress_ = false; // of the unfinished line
    bool skipLF_ = false; // the last line ended in CR: an LF next belongs to it
    qsizetype number_ = 0; // of the unfinished line
    std::optional<QString> fault_;
};

// Appends the next read's text; false when the bytes so far were wrongly
// taken for UTF-8.
template <class LocationSink> bool LocationFile::Pass<LocationSink>::decodeNext(bool& atEnd)
{
    const qint64 got = file_.readInto(bytes_.data() + carried_);
    atEnd = got == 0;
    const qsizetype have = carried_ + qsizetype(got);
    const qsizetype used = decoder_.decode(QByteArrayView(bytes_.constData(), have), atEnd, text_);
    if (used == TextDecoder::kStartAgain)
        return false;
    carried_ = have - used;
    std::memmove(bytes_.data(), bytes_.constData() + used, size_t(carried_));

    chars_ = reinterpret_cast<const char16_t*>(text_.constData());
    size_ = text_.size();
    chunk_ = -1;
    if (skipLF_ && scanned_ < size_) {
        if (chars_[scanned_] == u'\n')
            start_ = scanned_ = scanned_ + 1;
        skipLF_ = false;
    }
    return true;
}

// Only commas, line ends and NULs matter. SSE2 finds them eight characters
// at a time; everything else is never looked at one by one. The LF of a CR LF
// lies before `start_` and is passed over. False at a faulty line.
template <class LocationSink> bool LocationFile::Pass<LocationSink>::scan()
{
    // Neither changes during the scan; as locals they stay in registers
    // while the sink is called.
    const char16_t* const chars = chars_;
    const qsizetype size = size_;
    qsizetype i = scanned_;
#ifdef __SSE2__
    // NUL, LF and CR are all at most U+000D: one saturating subtraction
    // finds them, with the rarer control characters between, which
    // atSeparator() passes over.
    const __m128i comma = _mm_set1_epi16(u','), cr = _mm_set1_epi16(u'\r'), zero = _mm_setzero_si128();
    for (; i + 8 <= size; i += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + i));
        const __m128i found
            = _mm_or_si128(_mm_cmpeq_epi16(block, comma), _mm_cmpeq_epi16(_mm_subs_epu16(block, cr), zero));
        // Two mask bits a character; keep one.
        for (unsigned mask = unsigned(_mm_movemask_epi8(found)) & 0x5555u; mask != 0; mask &= mask - 1) {
            const qsizetype at = i + qCountTrailingZeroBits(mask) / 2;
            if (at >= start_ && !atSeparator(at))
                return false;
        }
    }
#endif
    for (; i < size; ++i) {
        const char16_t c = chars[i];
        if ((c == u',' || c <= u'\r') && i >= start_ && !atSeparator(i))
            return false;
    }
    return true;
}

// A comma is counted, a NUL in the address noted; a line end hands the
// line over. False at a faulty line.
template <class LocationSink> bool LocationFile::Pass<LocationSink>::atSeparator(qsizetype i)
{
    const char16_t c = chars_[i];
    if (c == u',') {
        if (commaCount_ < 3)
            commas_[commaCount_] = i - start_;
        ++commaCount_;
        return true;
    }
    if (c != u'\r' && c != u'\n') {
        // Past the address a NUL is a character like any other.
        nulInAddress_ = nulInAddress_ || (c == 0 && commaCount_ == 0);
        return true;
    }
    if (!deliver(i))
        return false;
    start_ = i + 1;
    if (c == u'\r') {
        if (i + 1 == size_)
            skipLF_ = true;
        else if (chars_[i + 1] == u'\n')
            start_ = i + 2;
    }
    commaCount_ = 0;
    nulInAddress_ = false;
    return true;
}

// Hands the line that ends at `end` to the sink; false when it is short.
template <class LocationSink> bool LocationFile::Pass<LocationSink>::deliver(qsizetype end)
{
    ++number_;
    QStringView line(chars_ + start_, end - start_);
    // Only these may begin a mark. An empty line starts at its line end, or
    // is at the end of the text and not handed over.
    if (chars_[start_] == u'\uFEFF' || chars_[start_] == u'\u00EF')
        line = withoutMark(line);
    if (commaCount_ < 2 || nulInAddress_ || line.size() > kLongestLine) {
        fault_ = file_.badLine(number_, line);
        return false;
    }
    if (chunk_ < 0)
        chunk_ = store_.hold(std::move(text_)); // moves no character: `chars_` stays valid
    const qsizetype third = commaCount_ > 2 ? commas_[2] : line.size();
    sink_(LocationLine { line.first(commas_[0]), line.sliced(commas_[0] + 1, commas_[1] - commas_[0] - 1),
              line.sliced(commas_[1] + 1, third - commas_[1] - 1), line.sliced(qMin(third + 1, line.size())) },
        chunk_);
    return true;
}

// Two files joined into one keep the second one's byte-order mark, which
// must never become part of an address: the UTF-8 mark, FF FE or FE FF in a
// UTF-16 file, or the UTF-8 mark read as Windows-1252; an empty file saved
// with a mark adds one more. Answers `line` without them, its commas counted
// from the new start.
template <class LocationSink> QStringView LocationFile::Pass<LocationSink>::withoutMark(QStringView line)
{
    const bool windows1252 = decoder_.encoding() == TextDecoder::Encoding::Windows1252;
    qsizetype mark = 0;
    for (;;) {
        if (line.sliced(mark).startsWith(u'\uFEFF'))
            mark += 1;
        else if (windows1252 && line.sliced(mark).startsWith(u"\u00EF\u00BB\u00BF"))
            mark += 3;
        else
            break;
    }
    for (int c = 0; c < qMin(commaCount_, 3); ++c)
        commas_[c] -= mark;
    return line.sliced(mark);
}

// Keeps only the unfinished line, at most one read long, for the next read
// to be appended to.
template <class LocationSink> void LocationFile::Pass<LocationSink>::carryUnfinished()
{
    if (chunk_ < 0) {
        scanned_ = size_;
        return;
    }
    text_ = store_.takeBuffer();
    text_.append(QStringView(chars_ + start_, size_ - start_));
    store_.releaseUnused(chunk_);
    scanned_ = size_ - start_;
    start_ = 0;
}

// A short line ends the reading, but the code page is that of the whole
// file: what follows may still show that it is no UTF-8.
template <class LocationSink> std::optional<QString> LocationFile::Pass<LocationSink>::stopAtFault(bool& again)
{
    if (decoder_.mayStartAgain() && !file_.restIsUtf8(decoder_, bytes_, carried_))
        again = true;
    return fault_;
}

QString LocationFile::badLine(qsizetype number, QStringView line) const
{
    const QString shown = quotedExcerpt(line);
    const qsizetype commas = line.count(u',');
    if (commas >= 2 && line.size() <= kLongestLine) {
        return tr("Line %1 of the location file \"%2\" has a NUL character in its address (\"%3\"); a file in "
                  "UTF-16 needs its byte-order mark.")
            .arg(number)
            .arg(path_, shown);
    }
    const QString what = line.isEmpty() ? tr("is empty")
        : line.size() > kLongestLine    ? tr("is too long")
        : commas == 0                   ? tr("has no comma (\"%1\")").arg(shown)
                                        : tr("has only two fields (\"%1\")").arg(shown);
    return tr("Line %1 of the location file \"%2\" %3; every line needs an address, a name and an addition, "
              "separated by commas.")
        .arg(number)
        .arg(path_, what);
}

std::optional<QString> LocationFile::read(QStringView filter, ItemBatch& out)
{
    const NameMatcher matcher(filter);
    out.setJoiner(QStringLiteral(", "));
    return forEachLine(
        out,
        [&](const LocationLine& location, qint32 chunk) {
            if (matcher.inDisplayName(location))
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
            if (matcher.inDisplayName(location))
                visit(location);
        },
        restart);
}

} // namespace quillmoor
