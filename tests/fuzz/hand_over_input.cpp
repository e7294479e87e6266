// What the hand-over process reads on its standard input, from any bytes:
// only web pages with a host come out, never more than there are lines, the
// same whatever size the reads have, with no more held than one read and one
// line. The first byte picks the read size, and whether the input ends in a
// failure rather than at its end.
#include "FuzzCheck.h"
#include "PageInput.h"

#include <QList>
#include <cstring>

using namespace quillmoor;

namespace {

struct Result {
    QList<QUrl> pages;
    bool failed = false;
};

Result readPages(QByteArrayView bytes, qint64 readBytes, bool failAtEnd)
{
    qsizetype at = 0;
    PageInput input([&](char* buffer, qint64 size) -> qint64 {
        if (at == bytes.size())
            return failAtEnd ? -1 : 0;
        const qsizetype count = qMin<qsizetype>(qMin(size, readBytes), bytes.size() - at);
        std::memcpy(buffer, bytes.data() + at, size_t(count));
        at += count;
        return count;
    });
    Result result;
    while (const std::optional<QUrl> page = input.next()) {
        FUZZ_CHECK(input.held() <= PageInput::kLongestLine + PageInput::kReadBytes);
        result.pages << *page;
    }
    result.failed = input.failed();
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uchar choice = data[0];
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const bool failAtEnd = choice & 0x80;
    const Result whole = readPages(bytes, PageInput::kReadBytes, failAtEnd);
    const Result pieces = readPages(bytes, 1 + (choice & 0x3F), failAtEnd);
    FUZZ_CHECK(whole.pages == pieces.pages);
    FUZZ_CHECK(whole.failed == failAtEnd && pieces.failed == failAtEnd);
    FUZZ_CHECK(whole.pages.size() <= bytes.count('\n') + 1);
    for (const QUrl& page : whole.pages) {
        FUZZ_CHECK(page.isValid() && !page.host().isEmpty());
        FUZZ_CHECK(page.scheme() == u"http" || page.scheme() == u"https");
        // What goes on to the launcher is one argument of one line.
        const QByteArray encoded = page.toEncoded();
        FUZZ_CHECK(!encoded.contains('\n') && !encoded.contains('\r') && !encoded.startsWith('-'));
    }
    return 0;
}
