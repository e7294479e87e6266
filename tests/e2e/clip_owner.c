/* Holds its one argument as the X clipboard, as a program the user copied
 * lines from would, until another program takes the clipboard over or this
 * one is stopped. Prints "ready" once it holds it. Text only, in one piece. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: clip_owner TEXT\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "clip_owner: cannot open display \"%s\"\n", XDisplayName(NULL));
        return 2;
    }
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    Atom targets = XInternAtom(display, "TARGETS", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XSetSelectionOwner(display, clipboard, window, CurrentTime);
    if (XGetSelectionOwner(display, clipboard) != window) {
        fprintf(stderr, "clip_owner: the clipboard could not be taken\n");
        return 1;
    }
    printf("ready\n");
    fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionClear)
            return 0;
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent *request = &event.xselectionrequest;
        XSelectionEvent reply = { .type = SelectionNotify, .display = display, .requestor = request->requestor,
            .selection = request->selection, .target = request->target,
            .property = request->property != None ? request->property : request->target, .time = request->time };
        if (request->target == targets) {
            Atom offered[] = { targets, utf8, XA_STRING };
            XChangeProperty(display, request->requestor, reply.property, XA_ATOM, 32, PropModeReplace,
                (unsigned char *)offered, 3);
        } else if (request->target == utf8 || request->target == XA_STRING) {
            XChangeProperty(display, request->requestor, reply.property, request->target, 8, PropModeReplace,
                (unsigned char *)argv[1], (int)strlen(argv[1]));
        } else {
            reply.property = None;
        }
        XSendEvent(display, request->requestor, False, NoEventMask, (XEvent *)&reply);
        XFlush(display);
    }
}
