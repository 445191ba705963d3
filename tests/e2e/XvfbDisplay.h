#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

struct WindowRect {
    std::string id;  // the X window id, in decimal
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A private X server (Xvfb, 1280 x 800 at 96 dpi, no window manager, no TCP, no reset when the
// last client leaves) on a free display number, for launcher windows under test; stopped by the
// destructor. The programs that look at and click into it are xdotool and ImageMagick's import.
class XvfbDisplay {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool running() const { return !name_.empty(); }
    // ":N", for DISPLAY.
    const std::string& name() const { return name_; }

    // The visible windows of process `pid`, as screen rectangles.
    std::vector<WindowRect> WindowsOf(pid_t pid) const;
    // What xprop prints (without types) for the window, given its further arguments.
    std::string Properties(const WindowRect& window, const std::vector<std::string>& arguments) const;
    // A left click at a screen position, as a player's.
    bool Click(int x, int y) const;
    // The whole screen as a PNG.
    bool Screenshot(const std::string& path) const;

private:
    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace e2e
