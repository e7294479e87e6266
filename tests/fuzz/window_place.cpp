// The window's kept place, from any stored text: a place is four whole
// numbers with a width and a height above 0, and what is stored of it
// reads back as the same place. Built with the sanitizers, the integers'
// ends show any overflow making the rectangle.
#include "FuzzCheck.h"
#include "WindowSettings.h"

using namespace quillmoor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QRect> place = placeFromText(text);
    if (place) {
        FUZZ_CHECK(place->width() > 0 && place->height() > 0);
        FUZZ_CHECK(placeFromText(placeText(*place)) == place);
    }
    return 0;
}
