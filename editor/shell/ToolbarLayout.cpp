#include "ToolbarLayout.h"

#include "registry/RegistryHelpers.h"

#include <QByteArray>
#include <QMainWindow>

namespace kfm::ui {

namespace {

// Hexadecimal characters per stored part (the helpers read texts shorter than 256 bytes).
constexpr qsizetype kPartLength = 200;
// More than any layout of three toolbars needs; a larger stored length is damage.
constexpr int kLongestState = 64 * 1024;
// Tells this program's layouts from others.
constexpr int kStateVersion = 1;

std::string partName(int index) {
    return "Part" + std::to_string(index + 1);
}

} // namespace

void SaveBarState(QMainWindow* window, const std::string& section) {
    const QByteArray hex = window->saveState(kStateVersion).toHex();
    const char* s = section.c_str();
    const int parts = static_cast<int>((hex.size() + kPartLength - 1) / kPartLength);
    WriteRegInt(s, "Length", static_cast<int>(hex.size()));
    for (int i = 0; i < parts; ++i)
        WriteRegString(s, partName(i).c_str(), hex.mid(i * kPartLength, kPartLength).constData());
}

bool LoadBarState(QMainWindow* window, const std::string& section) {
    const char* s = section.c_str();
    const int length = ReadRegInt(s, "Length", 0, 0, 0);
    if (length <= 0 || length > kLongestState || length % 2 != 0)
        return false;
    QByteArray hex;
    for (int i = 0; hex.size() < length; ++i) {
        const std::string part = ReadRegString(s, partName(i).c_str(), "");
        if (part.empty())
            return false;
        hex += QByteArray::fromStdString(part);
    }
    if (hex.size() != length)
        return false;
    const QByteArray state = QByteArray::fromHex(hex);
    if (state.size() * 2 != length)
        return false;
    return window->restoreState(state, kStateVersion);
}

} // namespace kfm::ui
