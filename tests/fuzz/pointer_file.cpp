// HAND-M.CUR from any bytes: a pointer image of at most 256 by 256 pixels
// with its hot spot on it, or a failure; never a crash, and never memory
// beyond what such an image needs (the fuzzer runs it under a small
// allocation limit).
#include "Failure.h"
#include "FuzzCheck.h"
#include "PointerImage.h"

#include <QCoreApplication>

using namespace quillmoor;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The image readers are plugins, found through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const PointerImage pointer = readPointerImage(bytes);
        FUZZ_CHECK(!pointer.image.isNull());
        FUZZ_CHECK(pointer.image.width() <= 256 && pointer.image.height() <= 256);
        FUZZ_CHECK(pointer.image.rect().contains(pointer.hotSpot));
    } catch (const Failure&) {
        // Not a pointer image: the window keeps its own pointer.
    }
    return 0;
}
