#pragma once
// The system-control dialog's remembered values under the registry section "Dlgs\SysControl":
// 147 words, read with their defaults when the dialog opens, written by its OK, deleted when the
// preferences reset everything. One table (word, value name, kind, default) drives all three.
// Values are read as they were stored, without clamping.

#include <array>
#include <functional>
#include <span>

#include "SysControlSettings.h"

namespace kfm::syscontrols {

inline constexpr const char* kSysControlSection = "Dlgs\\SysControl";
inline constexpr int kStoredWordCount = 147;

// A moment in UTC, the source of the date defaults.
struct UtcDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
using UtcClock = std::function<UtcDateTime()>;
// The system's clock in UTC.
UtcDateTime SystemUtcNow();

// How a stored word is read and written.
enum class StoredKind { Integer, Flag };
// Where a stored word's default comes from.
enum class DefaultFrom {
    Value,
    AnimationWidth,
    AnimationHeight,
    HScrollHeight, // the horizontal scroll bar's height
    VScrollWidth,  // the vertical scroll bar's width
    UtcYear,
    UtcMonth,
    UtcDay,
    UtcHour,
    UtcMinute,
    UtcSecond,
};

struct StoredWord {
    int word;
    const char* name;
    StoredKind kind;
    DefaultFrom from;
    int value; // the default when from is Value
};

// Every stored word in the order of the record.
std::span<const StoredWord> StoredWords();

// What the defaults depend on.
struct LoadContext {
    int animationWidth = 0;
    int animationHeight = 0;
    UtcClock clock = SystemUtcNow;
};

// What the registry held when the settings were loaded: which stored words had a value, and the
// values. Saving against it writes only what differs, since every value rewrites the store.
struct StoredValues {
    std::array<bool, kSettingsWordCount> present{};
    SysControlSettings values;
};

// Fills every word from the registry with the defaults of the table; the texts, the selection
// words, the two tab item numbers and DTUpDown take their fixed starting values. Words 3, 4 and
// 92 are left as they are. Returns the type read ("scType", default Dialog). With stored, notes
// what the registry held.
int LoadSettings(SysControlSettings& settings, const LoadContext& context,
                 StoredValues* stored = nullptr);
// Writes the stored words; with stored, only those the registry lacked or held otherwise.
void SaveSettings(const SysControlSettings& settings, const StoredValues* stored = nullptr);
// Deletes every stored value and "scDTUpDown".
void DeleteSysControlSettings();

} // namespace kfm::syscontrols
