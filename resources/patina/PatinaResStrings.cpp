// The texture plug-in's texts, in Windows-1250 (the Czech of the original plug-in), and the
// lock button's icon, as a resource table that the plug-in exports itself: it finds them through
// its own module. Each text shows itself in a comment; the literal holds the code page's bytes.

#include "PatinaResourceIds.h"

#include "resources/ResourceTable.h"

namespace {

constexpr KfmStringResource kStrings[] = {
    {patinares::IDS_CAPTION, "Gener\xE1tor podklad\xF9"}, // Generátor podkladů
    {patinares::IDS_ADVANCED_SHOW, "&Roz\x9A\xED\xF8"
                                   "en\xE9 >>"}, // &Rozšířené >>
    {patinares::IDS_ADVANCED_HIDE, "&Roz\x9A\xED\xF8"
                                   "en\xE9 <<"}, // &Rozšířené <<
    {patinares::IDS_PLEASE_WAIT, "Pros\xEDm \xE8"
                                 "ekejte..."},                        // Prosím čekejte...
    {patinares::IDS_LOCK_TOOLTIP, "Uzamknout \xE8\xEDslo podkladu."}, // Uzamknout číslo podkladu.
    {patinares::IDS_NUMBER_RANGE,
     "Zadejte cel\xE9 \xE8\xEDslo od %1 do %2."},   // Zadejte celé číslo od %1 do %2.
    {patinares::IDS_BACKGROUND_GROUP, "Pozad\xED"}, // Pozadí
    {patinares::IDS_BRICKS_BY, "x"},                // x
    {patinares::IDC_OK, "OK"},                      // OK
    {patinares::IDC_CANCEL, "Storno"},              // Storno
    {patinares::IDC_REDRAW, "P\xF8"
                            "ekreslit"},                         // Překreslit
    {patinares::IDC_MODULATION_SPEED, "Color modulation speed"}, // Color modulation speed
    {patinares::IDC_BASE_GROUP, "Base Function"},                // Base Function
    {patinares::IDC_COMPLEXITY, "Complexity"},                   // Complexity
    {patinares::IDC_SAVE_BITMAP, "&Save as bitmap..."},          // &Save as bitmap...
    {patinares::IDC_PRESETS, "Typ podkladu"},                    // Typ podkladu
    {patinares::IDC_SAVE_PRESET,
     "Ulo\x9Eit jako &nov\xFD podklad..."},                     // Uložit jako &nový podklad...
    {patinares::IDC_CHECK1, "Check1"},                          // Check1
    {patinares::IDC_BASE_FREQUENCY, "Base function frequency"}, // Base function frequency
    {patinares::IDC_ZOOM, "Zoom factor"},                       // Zoom factor
    {patinares::IDC_COLOUR_FUNCTION, "Color function"},         // Color function
    {patinares::IDC_MARBLE, "marble"},                          // marble
    {patinares::IDC_SEED, "Podklad #"},                         // Podklad #
    {patinares::IDC_SIGNED_NOISE, "Signed noise"},              // Signed noise
    {patinares::IDC_ABSOLUTE, "+ abs vals"},                    // + abs vals
    {patinares::IDC_GENERATOR, " Generator"},                   //  Generator
    {patinares::IDC_TILE, "Rozmazat okraje"},                   // Rozmazat okraje
    {patinares::IDC_KALEIDOSCOPE, "Kaleidoskop"},               // Kaleidoskop
    {patinares::IDC_LOCK, "Lock"},                              // Lock
    {patinares::IDC_INVERT, "Invertovat"},                      // Invertovat
    {patinares::IDC_RELIEF, "Reli\xE9"
                            "f"},              // Reliéf
    {patinares::IDC_STRETCH, "Rozt\xE1hnout"}, // Roztáhnout
    {patinares::IDC_ADVANCED, "&Roz\x9A\xED\xF8"
                              "en\xE9 >>"}, // &Rozšířené >>
    {patinares::kPatternRadios[0], "\x8E\xE1"
                                   "dn\xE9"},                  // Žádné
    {patinares::kPatternRadios[1], "Cihly"},                   // Cihly
    {patinares::kPatternRadios[2], "Kameny"},                  // Kameny
    {patinares::kPatternRadios[3], "Rozbit\xE9 kameny"},       // Rozbité kameny
    {patinares::kPatternRadios[4], "Ploch\xE9 kameny"},        // Ploché kameny
    {patinares::kBaseFunctionRadios[0], "Sqrt ( u^2 + v^2 )"}, // Sqrt ( u^2 + v^2 )
    {patinares::kBaseFunctionRadios[1], "| u - v |"},          // | u - v |
    {patinares::kBaseFunctionRadios[2], "i * j"},              // i * j
    {patinares::kBaseFunctionRadios[3], "i * j zoom"},         // i * j zoom
    {patinares::kBaseFunctionRadios[4], "none"},               // none
    {patinares::kBaseFunctionRadios[5], "fade"},               // fade
    {patinares::kBaseFunctionRadios[6], "vertical lines"},     // vertical lines
    {patinares::kBaseFunctionRadios[7], "sinus"},              // sinus
    {patinares::IDS_KIND_FIRST + 0, "Wood"},                   // Wood
    {patinares::IDS_KIND_FIRST + 1, "Clouds"},                 // Clouds
    {patinares::IDS_KIND_FIRST + 2, "Cellular"},               // Cellular
    {patinares::IDS_KIND_FIRST + 3, "Woven"},                  // Woven
    {patinares::IDS_KIND_FIRST + 4, "Other (noise)"},          // Other (noise)
};

// A padlock, 16 x 16 PNG (drawn for this plug-in).
constexpr unsigned char kLockIcon[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x10, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0xF3, 0xFF,
    0x61, 0x00, 0x00, 0x00, 0xB8, 0x49, 0x44, 0x41, 0x54, 0x38, 0xCB, 0xBD, 0x90, 0x31, 0x0A, 0xC2,
    0x40, 0x14, 0x44, 0x5F, 0xD4, 0x33, 0xE8, 0x4D, 0xAC, 0xFF, 0x05, 0x2C, 0x14, 0xC1, 0xC2, 0xCA,
    0x9B, 0xA4, 0xC9, 0x51, 0x2C, 0x2C, 0xD4, 0x80, 0x17, 0x98, 0xDA, 0x2B, 0xE4, 0x04, 0xB1, 0xB3,
    0xB4, 0x90, 0x58, 0xF8, 0x85, 0x35, 0x59, 0x03, 0x31, 0xE8, 0xC0, 0xF2, 0x77, 0x67, 0x67, 0x86,
    0xE1, 0x27, 0x44, 0x60, 0x66, 0x00, 0x53, 0x60, 0xE6, 0xD4, 0x09, 0x38, 0x4B, 0x6A, 0x68, 0x93,
    0x88, 0x79, 0x08, 0x6C, 0x81, 0x55, 0xED, 0x6B, 0x07, 0xAC, 0x25, 0xDD, 0x43, 0x72, 0x10, 0x29,
    0x90, 0x05, 0xE6, 0xBD, 0x1F, 0x9C, 0xCB, 0x5A, 0x1B, 0x98, 0xD9, 0x18, 0x28, 0xFD, 0xB9, 0x90,
    0x74, 0x74, 0x7E, 0x0E, 0x1C, 0x9C, 0x9F, 0x48, 0xBA, 0x7C, 0x6A, 0xB0, 0xF4, 0x79, 0x03, 0xF2,
    0x80, 0xCF, 0x9D, 0x0B, 0x35, 0xD1, 0x80, 0x8D, 0xCF, 0x42, 0x52, 0xF5, 0x22, 0xFD, 0x5E, 0xD4,
    0x34, 0xD1, 0x80, 0xAB, 0xCF, 0x92, 0x26, 0xCA, 0x9A, 0xE6, 0x7D, 0x07, 0x4A, 0xA9, 0xE8, 0x00,
    0x4B, 0x9F, 0xDE, 0x41, 0x17, 0x53, 0x0C, 0xAD, 0x01, 0xA9, 0x8C, 0x54, 0xF6, 0x7D, 0x40, 0xEF,
    0x06, 0x7F, 0x09, 0x18, 0xB5, 0xEE, 0xC0, 0xF4, 0xFB, 0x06, 0xBD, 0xF1, 0x00, 0x9E, 0x4D, 0x30,
    0x53, 0xC2, 0x66, 0x70, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60,
    0x82};

constexpr KfmBinaryResource kBinaries[] = {
    {RT_BITMAP, patinares::IDI_LOCK, kLockIcon, sizeof kLockIcon},
};

constexpr KfmResourceTables kTables = {
    kKfmResourceTablesVersion,
    kStrings,
    sizeof kStrings / sizeof kStrings[0],
    kBinaries,
    sizeof kBinaries / sizeof kBinaries[0],
    1250,
};

} // namespace

KFM_RESOURCE_EXPORT const KfmResourceTables* KfmGetResourceTables() {
    return &kTables;
}
