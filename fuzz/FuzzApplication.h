#pragma once
// The offscreen GUI application that fuzz targets over text, fonts or the clipboard need, made
// on the first input and kept to the end of the process.

#include <QGuiApplication>

namespace kfm::fuzz {

inline void ensureGuiApplication() {
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzzer";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

} // namespace kfm::fuzz

// fontconfig keeps its configuration caches to the end of the process. (One unit of each fuzz
// program includes this header.)
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
