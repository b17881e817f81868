#include "ShellServices.h"

#include "Bitra5.h"
#include "resources/ResourceLibrary.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace {

class QuietShell final : public ShellServices {
public:
    std::string loadString(UINT) override { return {}; }
    int messageBox(const std::string&, UINT) override { return IDOK; }
    bool hasMainWindow() override { return false; }
    LRESULT sendToMainWindow(UINT, WPARAM, LPARAM) override { return 0; }
    bool escapePressed() override { return false; }
    void setWaitCursor(bool) override {}
    bool hasActiveDocument() override { return false; }
    void setDocumentModified(bool) override {}
    void refreshStripView() override {}
    void redrawViews(int, int) override {}
    void updateAnimationPage() override {}
    void updateOptimizeState() override {}
};

QuietShell quietShell;
ShellServices* installed = nullptr;

} // namespace

ShellServices& shell() {
    return installed ? *installed : quietShell;
}

void setShellServices(ShellServices* services) {
    installed = services;
}

int ShellMessageBox(UINT id, UINT flags) {
    return shell().messageBox(shell().loadString(id), flags);
}

std::string FormatResourceText(UINT id, std::initializer_list<std::string> values) {
    return FormatText(shell().loadString(id), values);
}

std::string FormatText(const std::string& format, std::initializer_list<std::string> values) {
    const std::vector<std::string> args(values);
    std::string out;
    std::size_t next = 0;
    auto value = [&](std::size_t index) {
        return index < args.size() ? args[index] : std::string();
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        const char c = format[i + 1];
        if (c == '%') {
            out += '%';
            ++i;
        } else if (c >= '1' && c <= '9') {
            out += value(static_cast<std::size_t>(c - '1'));
            ++i;
        } else {
            // A printf conversion: flags, width and precision are skipped up to its letter.
            std::size_t j = i + 1;
            auto isModifier = [](char m) {
                return !std::isalpha(static_cast<unsigned char>(m)) ||
                       std::string_view("hlLqjzt").find(m) != std::string_view::npos;
            };
            while (j < format.size() && isModifier(format[j]))
                ++j;
            if (j == format.size()) {
                out += format.substr(i);
                break;
            }
            out += value(next++);
            i = j;
        }
    }
    return out;
}

int ShellMessageBoxFormatted(UINT id, UINT flags, std::initializer_list<std::string> values) {
    return shell().messageBox(FormatResourceText(id, values), flags);
}

int ShellMessageBoxLibraryText(UINT id, UINT flags, std::initializer_list<std::string> values) {
    char text[512] = {};
    LoadStringA(KpxGetResourceInstance(), id, text, sizeof text);
    return shell().messageBox(FormatText(text, values), flags);
}
