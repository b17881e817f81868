#pragma once
// A window's placement kept in the registry as nine integers under "section\name" (show
// command, minimised and maximised positions, normal rectangle), and the rules that make a
// stored placement usable on the screens of this run.

#include <string>
#include <vector>

#include "types/Win32Types.h"

namespace kfm::shell {

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;

struct WindowPlacementValues {
    int showCommand = SW_SHOWMAXIMIZED;
    POINT minPosition{-1, -1};
    POINT maxPosition{-1, -1};
    RECT normal{0, 0, 0, 0};
};

// Reads the stored placement. Defaults for a screen of screenWidth x screenHeight: maximised,
// normal rectangle inset by a tenth of the screen on every side; positions default to current.
// The show command is clamped to 0..32765 and the rectangle's edges to 0..10000; a minimised
// window without a parent comes back maximised.
WindowPlacementValues ReadWindowPlacement(const std::string& section, const std::string& name,
                                          int screenWidth, int screenHeight,
                                          const WindowPlacementValues& current);
void WriteWindowPlacement(const std::string& section, const std::string& name,
                          const WindowPlacementValues& placement);

// How the main window is shown for a stored show command: only "normal" commands (1, 4, 5, 8,
// 9, 10) use the normal rectangle; every other one, hidden and minimised included, opens the
// window maximised, so a stored value never leaves the program without a visible window.
enum class ShowAs { Normal, Maximized };
ShowAs ShowAsFor(int showCommand);

// The smallest part of a window (in pixels, each way) that must lie on a screen.
constexpr int kLeastVisiblePart = 48;

// Makes a normal rectangle usable on the given screens (the first is the primary one): an empty
// or inverted rectangle becomes the default inset rectangle of the primary screen; a rectangle
// larger than its screen is shrunk to it; a rectangle that shows less than kLeastVisiblePart
// of itself on every screen is moved onto the screen it is nearest to.
RECT FitRectToScreens(const RECT& rect, const std::vector<RECT>& screens);

// The default normal rectangle for a screen: inset by a tenth of its size.
RECT DefaultNormalRect(const RECT& screen);

} // namespace kfm::shell
