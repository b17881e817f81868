#pragma once
// What the update check makes of the server's reply "version.txt": the program's own ini reader
// (pure over the reply's bytes, with file forms under the names the callers use), the
// comparison of the version the reply names with the program's own, the news section for the
// user's language, and the reminder's count of days since the last check.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kfm::update {

// The program's own version, against which replies are compared.
constexpr int kMajorVersion = 5;
constexpr int kMinorVersion = 0;
constexpr int kMajorBuild = 3000;
constexpr int kMinorBuild = 2;
// The product abbreviation names the reply's version section and the news sections; the reply's
// signature must be the product code.
constexpr const char* kProductAbbreviation = "kfm";
constexpr const char* kProductCode = "kfm120021";
// The longest news text taken from a reply.
constexpr std::size_t kNewsLimit = 32000;

// The outcome of a check.
enum CheckResult : int {
    kNoReply = -1,        // nothing usable came back (or nothing was compared yet)
    kNotNewer = 0,        // the reply names this version or an older one
    kNewerMajor = 1,      // a newer major version
    kNewerMinor = 2,      // a newer minor version
    kNewerBuild = 3,      // a newer build
    kNewerMinorBuild = 4, // a newer minor build
};

struct VersionOutcome {
    int result = kNoReply;
    // The reply's section for the product and the user's language (at most kNewsLimit bytes).
    std::string news;
};

// The ini reader over text. A line that begins with "[" names a section up to "]" (or the line's
// end); inside a section a line "key=value" gives a value up to the line's end (CR and LF end
// lines). Section and key names match without regard to ASCII case, the first match counts, and
// blanks around names and values are dropped.
std::optional<std::string> IniValue(std::string_view text, std::string_view section,
                                    std::string_view key);
// The lines of a section as they stand, up to the next section line; at most limit bytes;
// nullopt when the section is missing.
std::optional<std::string> IniSection(std::string_view text, std::string_view section,
                                      std::size_t limit);

// The same over a file: the value (or def) copied into buffer with its terminating zero,
// truncated to size - 1 bytes; returns the length copied. A missing file, section or key gives
// def.
int ReadIniString(const char* section, const char* key, const char* def, char* buffer, int size,
                  const char* path);
// The value as a decimal integer (leading digits, as atoi reads them, clamped to int) when it is
// not empty, else def.
int ReadVersionValue(const char* section, const char* key, int def, const char* path);
// The section's text into buffer (at most size - 1 bytes and a zero); the length copied, 0 when
// the section or the file is missing.
int ReadIniSection(const char* section, char* buffer, int size, const char* path);

// The two characters after the first "_" (fewer when the text ends sooner; empty without "_").
std::string GetLanguageSuffix(std::string_view text);

// Compares the version a reply names with the program's own and takes the news section for the
// language. A reply whose signature is missing or not the product code counts as no reply.
VersionOutcome CompareReplyText(std::string_view reply, std::string_view abbreviation,
                                std::string_view language);
// The reply stored in the file named by "UpdateInfo" "LastFileName", compared as above; no reply
// when the value is empty or the file cannot be read.
VersionOutcome CompareVersionInfo(std::string_view abbreviation, std::string_view language);

// The user's language code for the news: the language choice, at most three characters; "US"
// when there is none.
std::string UserLanguageCode();

// 1 when at least interval calendar days lie between the last check (day, month, year; values
// out of range carry over as the C library's mktime carries them) and today; 0 for interval 0
// (never due) or a last check after today.
int DaysElapsed(int todayDay, int todayMonth, int todayYear, int day, int month, int year,
                int interval);

} // namespace kfm::update
