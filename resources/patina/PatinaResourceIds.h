#pragma once
// Ids of the texture plug-in's own texts, its lock icon and its dialog's controls. A label's
// text sits under the id of the control it names.

namespace patinares {

// Texts.
constexpr unsigned IDS_CAPTION = 100;          // the dialog's caption, "Generátor podkladů"
constexpr unsigned IDS_ADVANCED_SHOW = 102;    // "&Rozšířené >>"
constexpr unsigned IDS_ADVANCED_HIDE = 103;    // "&Rozšířené <<"
constexpr unsigned IDS_PLEASE_WAIT = 104;      // drawn on the preview while it is composed
constexpr unsigned IDS_LOCK_TOOLTIP = 105;     // the lock button's tooltip
constexpr unsigned IDS_NUMBER_RANGE = 106;     // a number outside its range: %1 and %2 the ends
constexpr unsigned IDS_BACKGROUND_GROUP = 107; // "Pozadí"
constexpr unsigned IDS_BRICKS_BY = 108;        // "x" between the two brick counts

// The lock button's icon (a PNG).
constexpr unsigned IDI_LOCK = 138;

// The dialog and its controls.
constexpr unsigned IDD_BACKGROUND = 102;
constexpr int IDC_OK = 1;
constexpr int IDC_CANCEL = 2;
constexpr int IDC_REDRAW = 1000;
constexpr int IDC_PREVIEW = 1001;
constexpr int IDC_MODULATION_SPEED = 1002;
constexpr int IDC_BASE_GROUP = 1003;
constexpr int IDC_COMPLEXITY = 1009;
constexpr int IDC_COMPLEXITY_SPIN = 1010;
constexpr int IDC_SAVE_BITMAP = 1013;
constexpr int IDC_PRESETS = 1018;
constexpr int IDC_SAVE_PRESET = 1019;
constexpr int IDC_CHECK1 = 1020;
constexpr int IDC_BASE_FREQUENCY = 1021;
constexpr int IDC_ZOOM = 1025;
constexpr int IDC_COLOUR_FUNCTION = 1026;
constexpr int IDC_COLOUR_FUNCTION_SPIN = 1027;
constexpr int IDC_MARBLE = 1028;
constexpr int IDC_SEED = 1032;
constexpr int IDC_SIGNED_NOISE = 1036;
constexpr int IDC_ABSOLUTE = 1037;
constexpr int IDC_GENERATOR = 1038;
constexpr int IDC_GENERATOR_SPIN = 1039;
constexpr int IDC_TILE = 1041;
constexpr int IDC_GRADIENT = 1044;
constexpr int IDC_KALEIDOSCOPE = 1045;
constexpr int IDC_LOCK = 1046;
constexpr int IDC_ROWS = 1055;
constexpr int IDC_BRICKS = 1056;
constexpr int IDC_INVERT = 1061;
constexpr int IDC_RELIEF = 1062;
constexpr int IDC_KIND = 1064;
constexpr int IDC_STRETCH = 1065;
constexpr int IDC_ADVANCED = 1066;

// The radios of the background pattern 0..4 and of the base function 0..7.
constexpr int kPatternRadios[] = {1048, 1049, 1050, 1051, 1059};
constexpr int kBaseFunctionRadios[] = {1004, 1005, 1006, 1007, 1008, 1014, 1015, 1031};
// The entries of the combo box 1064.
constexpr unsigned IDS_KIND_FIRST = 110;
constexpr int kKindCount = 5;

} // namespace patinares
