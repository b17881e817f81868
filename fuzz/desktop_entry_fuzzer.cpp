// Fuzz target of the desktop-entry reader that turns an entry's Exec line into the outside
// editor's command line (entries come from any package or from the user's own folders): any
// bytes must read without touching memory outside them, a command line must split back into the
// arguments it was joined from, and its program is never empty.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "DesktopEntry.h"
#include "shell/Process.h"

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    using namespace kfm::extedit;
    // The bytes as a whole entry and as an Exec value alone.
    const std::string line = CommandLineFromDesktopEntry(text);
    require(line.empty() || !kfm::shell::splitCommandLine(line).empty());
    if (const auto arguments = ExecArguments(text)) {
        require(!arguments->empty() && !arguments->front().empty());
        const std::string joined = JoinCommandLine(*arguments);
        if (!joined.empty())
            require(kfm::shell::splitCommandLine(joined) == *arguments);
    }
    return 0;
}
