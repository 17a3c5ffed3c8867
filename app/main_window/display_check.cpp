#include "app/main_window/display_check.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace morvi {
namespace {

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Connects to the X server named by DISPLAY and hangs up again.
bool XDisplayAnswers()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    // xcb_disconnect also frees a connection that is in error.
    xcb_disconnect(connection);
    return ok;
}

}  // namespace

std::string DisplayProblem()
{
    const std::string hint =
        "morvi: no display found; start it on a desktop or under xvfb-run (xvfb-run morvi picture.jpg)";
    // A platform chosen on purpose (offscreen, vnc, ...) is the user's business.
    if (Set("QT_QPA_PLATFORM")) return {};
    if (Set("WAYLAND_DISPLAY")) return {};
    if (!Set("DISPLAY")) return hint;
    if (!XDisplayAnswers()) {
        return "morvi: the display " + std::string(std::getenv("DISPLAY")) +
               " does not answer; start it on a desktop or under xvfb-run (xvfb-run morvi picture.jpg)";
    }
    return {};
}

}  // namespace morvi
