#include "X11WindowHints.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <array>

namespace platform {

namespace {

// The Motif hints: flags, functions, decorations, input mode, status.
constexpr unsigned long kHasFunctions = 1UL << 0;
constexpr unsigned long kHasDecorations = 1UL << 1;
constexpr unsigned long kFunctionAll = 1UL << 0;
constexpr unsigned long kFunctionResize = 1UL << 1;
constexpr unsigned long kFunctionMaximize = 1UL << 4;
constexpr unsigned long kDecorationAll = 1UL << 0;
constexpr unsigned long kDecorationResizeHandle = 1UL << 2;
constexpr unsigned long kDecorationMaximize = 1UL << 6;

} // namespace

bool forbidResizing(_XDisplay *display, unsigned long window)
{
    if (!display || !window)
        return false;
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, motif, 0, 5, False, AnyPropertyType, &type, &format, &count, &after,
                           &data)
            != Success
        || !data)
        return false;
    std::array<unsigned long, 5> hints{};
    if (format == 32 && count == hints.size()) {
        // Format 32 properties come back as longs, whatever their size.
        const auto *values = reinterpret_cast<const unsigned long *>(data);
        for (size_t i = 0; i < hints.size(); ++i)
            hints[i] = values[i];
    }
    XFree(data);
    if (format != 32 || count != hints.size())
        return false;

    // "All" means every function but the ones listed, so it goes too.
    if (hints[0] & kHasFunctions)
        hints[1] &= ~(kFunctionAll | kFunctionResize | kFunctionMaximize);
    if (hints[0] & kHasDecorations)
        hints[2] &= ~(kDecorationAll | kDecorationResizeHandle | kDecorationMaximize);
    XChangeProperty(display, window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(hints.data()), int(hints.size()));
    XFlush(display);
    return true;
}

} // namespace platform
