#include "VersionInfo.h"

#include "registry/RegistryHelpers.h"
#include "resources/LanguageLibrary.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kfm::update {

namespace {

constexpr const char* kUpdateInfo = "UpdateInfo";
constexpr const char* kVersionKeys = "version keys";
constexpr std::size_t kLanguageCodeLength = 3;
// Beyond these the dates mean nothing; clamping keeps the calendar arithmetic in range.
constexpr long kLargestCarry = 100000;
constexpr int kEarliestYear = -30000;
constexpr int kLatestYear = 30000;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

// Walks the text line by line; a line ends at CR or LF (CR LF is one end).
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool atEnd() const { return pos_ >= text_.size(); }
    std::size_t position() const { return pos_; }
    std::string_view next() {
        const std::size_t start = pos_;
        std::size_t end = start;
        while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n')
            ++end;
        pos_ = end;
        if (pos_ < text_.size() && text_[pos_] == '\r')
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n')
            ++pos_;
        return text_.substr(start, end - start);
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The section a line names, or nullopt when it names none.
std::optional<std::string_view> sectionName(std::string_view line) {
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    const std::size_t close = line.find(']');
    return trimmed(close == std::string_view::npos ? line : line.substr(0, close));
}

std::optional<std::string> fileText(const char* path) {
    if (!path || !*path)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int copyOut(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

// Leading blanks, a sign and the digits, as atoi reads them; clamped instead of overflowing.
int leadingInteger(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        value = std::min<long long>(value * 10 + (c - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int versionValue(std::string_view reply, std::string_view section, const char* key) {
    const std::optional<std::string> value = IniValue(reply, section, key);
    return value && !value->empty() ? leadingInteger(*value) : 0;
}

int compareVersions(int major, int minor, int build, int minorBuild) {
    if (major > kMajorVersion)
        return kNewerMajor;
    if (major != kMajorVersion)
        return kNotNewer;
    if (minor > kMinorVersion)
        return kNewerMinor;
    if (minor != kMinorVersion)
        return kNotNewer;
    if (build > kMajorBuild)
        return kNewerBuild;
    if (build == kMajorBuild && minorBuild > kMinorBuild)
        return kNewerMinorBuild;
    return kNotNewer;
}

std::chrono::sys_days calendarDay(int day, int month, int year) {
    using namespace std::chrono;
    const long monthIndex = std::clamp<long>(month, -kLargestCarry, kLargestCarry) - 1;
    long carriedYear = year + (monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12);
    carriedYear = std::clamp<long>(carriedYear, kEarliestYear, kLatestYear);
    const long monthOfYear = ((monthIndex % 12) + 12) % 12 + 1;
    const sys_days first = std::chrono::year(static_cast<int>(carriedYear)) /
                           std::chrono::month(static_cast<unsigned>(monthOfYear)) / 1;
    return first + days(std::clamp<long>(day, -kLargestCarry, kLargestCarry) - 1);
}

} // namespace

std::optional<std::string> IniValue(std::string_view text, std::string_view section,
                                    std::string_view key) {
    LineReader lines(text);
    bool inSection = false;
    while (!lines.atEnd()) {
        const std::string_view line = lines.next();
        if (const auto name = sectionName(line)) {
            inSection = equalNoCase(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (equalNoCase(trimmed(line.substr(0, equals)), key))
            return std::string(trimmed(line.substr(equals + 1)));
    }
    return std::nullopt;
}

std::optional<std::string> IniSection(std::string_view text, std::string_view section,
                                      std::size_t limit) {
    LineReader lines(text);
    while (!lines.atEnd()) {
        const auto name = sectionName(lines.next());
        if (!name || !equalNoCase(*name, section))
            continue;
        const std::size_t start = lines.position();
        std::size_t end = start;
        while (!lines.atEnd() && !sectionName(lines.next()))
            end = lines.position();
        return std::string(text.substr(start, std::min(end - start, limit)));
    }
    return std::nullopt;
}

int ReadIniString(const char* section, const char* key, const char* def, char* buffer, int size,
                  const char* path) {
    const std::string fallback = def ? def : "";
    std::optional<std::string> value;
    if (section && key)
        if (const auto text = fileText(path))
            value = IniValue(*text, section, key);
    return copyOut(value.value_or(fallback), buffer, size);
}

int ReadVersionValue(const char* section, const char* key, int def, const char* path) {
    char value[100];
    return ReadIniString(section, key, "", value, sizeof value, path) > 0 ? leadingInteger(value)
                                                                          : def;
}

int ReadIniSection(const char* section, char* buffer, int size, const char* path) {
    std::optional<std::string> text;
    if (section && size > 0)
        if (const auto file = fileText(path))
            text = IniSection(*file, section, static_cast<std::size_t>(size - 1));
    return copyOut(text.value_or(std::string()), buffer, size);
}

std::string GetLanguageSuffix(std::string_view text) {
    const std::size_t underscore = text.find('_');
    return underscore == std::string_view::npos ? std::string()
                                                : std::string(text.substr(underscore + 1, 2));
}

VersionOutcome CompareReplyText(std::string_view reply, std::string_view abbreviation,
                                std::string_view language) {
    VersionOutcome outcome;
    // The text ends at its first zero byte, as the stored reply does.
    reply = reply.substr(0, reply.find('\0'));
    const std::optional<std::string> signature = IniValue(reply, abbreviation, "signature");
    if (!signature || *signature != kProductCode)
        return outcome;
    outcome.result = compareVersions(versionValue(reply, abbreviation, "majorversion"),
                                     versionValue(reply, abbreviation, "minorversion"),
                                     versionValue(reply, abbreviation, "majorbuild"),
                                     versionValue(reply, abbreviation, "minorbuild"));
    if (outcome.result == kNotNewer)
        return outcome;
    for (int i = 0;; ++i) {
        const std::optional<std::string> name = IniValue(reply, kVersionKeys, std::to_string(i));
        if (!name || name->empty())
            break;
        const std::string_view product = std::string_view(*name).substr(0, name->find('_'));
        if (product != abbreviation || !equalNoCase(GetLanguageSuffix(*name), language))
            continue;
        outcome.news = IniSection(reply, *name, kNewsLimit).value_or(std::string());
    }
    return outcome;
}

VersionOutcome CompareVersionInfo(std::string_view abbreviation, std::string_view language) {
    const std::string path = ReadRegString(kUpdateInfo, "LastFileName", "");
    const std::optional<std::string> reply = fileText(path.c_str());
    if (!reply)
        return {};
    return CompareReplyText(*reply, abbreviation, language);
}

std::string UserLanguageCode() {
    const std::string choice = kfm::language::languageChoice();
    return choice.empty() ? std::string("US") : choice.substr(0, kLanguageCodeLength);
}

int DaysElapsed(int todayDay, int todayMonth, int todayYear, int day, int month, int year,
                int interval) {
    if (interval == 0)
        return 0;
    const auto elapsed =
        calendarDay(todayDay, todayMonth, todayYear) - calendarDay(day, month, year);
    return elapsed.count() >= interval ? 1 : 0;
}

} // namespace kfm::update
