#pragma once
// The two conversions between the dialog's settings and the record a control frame carries:
// the record keeps only the current type's values, packed into style bits and seven numbers
// (values[0..6] are the numbers at offsets 32 to 56). Both texts are always present, even empty.

#include <string>

#include "ObjectRecords.h"
#include "SysControlSettings.h"

namespace kfm::syscontrols {

// Packs the current type (word 0). A style bit is set exactly when its word is not zero, and so
// is each of the five general flag bytes. For the list box, combo box and tab the text is
// itemsText (the live control's items joined), for the others Text; the caption is Caption.
ControlObjectRecord SettingsToRecord(const SysControlSettings& settings,
                                     const std::string& itemsText);

// Overlays a frame's record and picture size onto the settings: the type, the five general
// flags, both texts, the type's style words and numbers and its size words. The list box keeps
// its remembered height, the combo box takes its height from the record; the date-time picker,
// month calendar and IP address have no size words. A record of an unknown type sets only the
// type, the flags and the texts. The position words are left alone.
void RecordToSettings(SysControlSettings& settings, const ControlObjectRecord& record,
                      int frameWidth, int frameHeight);

} // namespace kfm::syscontrols
