/* Prints the pointer image the X server is showing right now, read through
 * XFixes, as one line:
 *   serial=N width=W height=H xhot=X yhot=Y checksum=HEX centre=AARRGGBB name=NAME
 * The checksum covers every pixel, so two different images practically never
 * print the same line even when their sizes agree. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

int main(void)
{
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "cursor_probe: cannot open display \"%s\"\n", XDisplayName(NULL));
        return 2;
    }
    int eventBase = 0, errorBase = 0;
    if (!XFixesQueryExtension(display, &eventBase, &errorBase)) {
        fprintf(stderr, "cursor_probe: the X server has no XFixes extension\n");
        XCloseDisplay(display);
        return 2;
    }
    int major = 4, minor = 0;
    XFixesQueryVersion(display, &major, &minor);

    XFixesCursorImage *image = XFixesGetCursorImage(display);
    if (!image) {
        fprintf(stderr, "cursor_probe: no pointer image\n");
        XCloseDisplay(display);
        return 2;
    }

    /* FNV-1a over the 32-bit ARGB values; Xlib hands them over in longs. */
    uint64_t hash = 1469598103934665603ULL;
    const size_t count = (size_t)image->width * image->height;
    for (size_t i = 0; i < count; ++i) {
        uint32_t pixel = (uint32_t)image->pixels[i];
        for (int b = 0; b < 4; ++b) {
            hash ^= (pixel >> (8 * b)) & 0xffu;
            hash *= 1099511628211ULL;
        }
    }
    uint32_t centre = 0;
    if (count > 0)
        centre = (uint32_t)image->pixels[(size_t)(image->height / 2) * image->width + image->width / 2];

    printf("serial=%lu width=%u height=%u xhot=%u yhot=%u checksum=%016llx centre=%08x name=%s\n",
           (unsigned long)image->cursor_serial, (unsigned)image->width, (unsigned)image->height,
           (unsigned)image->xhot, (unsigned)image->yhot, (unsigned long long)hash, centre,
           (image->atom != None && image->name && image->name[0]) ? image->name : "-");
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
