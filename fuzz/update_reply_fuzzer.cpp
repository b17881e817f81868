// Fuzz target of the update check's reading of a reply ("version.txt" from the network, which
// anyone between the program and the server can change): any bytes must read without touching
// memory outside them, an outcome must be one of the defined results, the news must stay within
// their limit and come only with a newer version, and a value the reader finds must be a part of
// the reply.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "VersionInfo.h"

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    using namespace kfm::update;
    for (const char* language : {"US", "de", ""}) {
        const VersionOutcome outcome = CompareReplyText(reply, kProductAbbreviation, language);
        require(outcome.result >= kNoReply && outcome.result <= kNewerMinorBuild);
        require(outcome.news.size() <= kNewsLimit);
        require(outcome.result >= kNewerMajor || outcome.news.empty());
    }
    for (const char* section : {"kfm", "version keys", ""}) {
        if (const auto value = IniValue(reply, section, "signature"))
            require(reply.find(*value) != std::string_view::npos);
        if (const auto text = IniSection(reply, section, 100))
            require(text->size() <= 100 && reply.find(*text) != std::string_view::npos);
    }
    const std::string suffix = GetLanguageSuffix(reply);
    require(suffix.size() <= 2);
    return 0;
}
