#pragma once

namespace rz {

// The main window's size and state as the settings store keeps them. The
// view reports its designed size at creation and every later change; a
// stored size is applied to the window as soon as it is read.
struct MainWindowPlacement {
    int Width = 0;  // pixels; 0 until the view reports its designed size
    int Height = 0;
    bool Minimised = false;
    bool Maximised = false;
};

} // namespace rz
