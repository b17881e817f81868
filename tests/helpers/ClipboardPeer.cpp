// A second program on the desktop clipboard, for the clipboard's tests: prints the bytes of the
// registered format named by its argument, in hex, when the clipboard offers it; nothing
// otherwise.

#include "clipboard/Clipboard.h"
#include "memory/GlobalMemory.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const UINT format = RegisterClipboardFormatA(argv[1]);
    if (!OpenClipboard(nullptr))
        return 1;
    if (const auto block = static_cast<HGLOBAL>(GetClipboardData(format))) {
        const auto* bytes = static_cast<const unsigned char*>(GlobalLock(block));
        for (std::size_t i = 0; bytes && i < GlobalSize(block); ++i)
            std::printf("%02x", bytes[i]);
        GlobalUnlock(block);
    }
    CloseClipboard();
    return 0;
}
