// Preloaded into quorix4: the first connection to the X server (the program's
// own display check) goes through, every later one finds the display gone, as
// when the server ends between the check and Qt's connection.
#include <dlfcn.h>

#include <xcb/xcb.h>

struct _XDisplay;

extern "C" {

xcb_connection_t *xcb_connect(const char *displayName, int *screen)
{
    using Connect = xcb_connection_t *(*)(const char *, int *);
    static const auto real = reinterpret_cast<Connect>(dlsym(RTLD_NEXT, "xcb_connect"));
    static int calls = 0;
    // Display 4093 has no server: an error connection, as xcb gives it.
    return real(++calls == 1 ? displayName : ":4093", screen);
}

_XDisplay *XOpenDisplay(const char *)
{
    return nullptr;
}

} // extern "C"
