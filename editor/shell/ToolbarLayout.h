#pragma once
// The toolbar layout kept between runs: which bars show, on which side, in which row and order,
// or floating. It is stored as the window's state in hexadecimal text values of a registry
// section ("Length" and "Part1" to "Part<n>"), each short enough for the registry helpers.

#include <string>

class QMainWindow;

namespace kfm::ui {

void SaveBarState(QMainWindow* window, const std::string& section);
// False (and the layout untouched) when nothing usable is stored.
bool LoadBarState(QMainWindow* window, const std::string& section);

} // namespace kfm::ui
