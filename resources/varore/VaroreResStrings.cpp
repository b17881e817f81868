// The distortion plug-in's texts, in Windows-1250 (the Czech of the original plug-in), as a
// resource table that the plug-in exports itself: it finds them through its own module. Each
// entry shows its text in a comment; the literal holds the code page's bytes.

#include "VaroreResourceIds.h"

#include "resources/ResourceTable.h"

namespace {

constexpr KfmStringResource kStrings[] = {
    {varoreres::IDS_APP_NAME, "Chv\xECn\xED"},                             // Chvění
    {varoreres::IDS_COMPUTING_FRAME, "Po\xE8\xEDt\xE1m r\xE1mec %d z %d"}, // Počítám rámec %d z %d
    {varoreres::IDS_READY, "P\xF8ipraven"},                                // Připraven
    {varoreres::IDD_SHIVER, "Chv\xECn\xED"},                               // Chvění
    {varoreres::IDC_DURATION, "D\xE9lka [1/100 s]"},                       // Délka [1/100 s]
    {varoreres::IDC_FRAME_COUNT, "Po\xE8"
                                 "et r\xE1mc\xF9"}, // Počet rámců
    {varoreres::IDC_KEY_COUNT, "Kl\xED\xE8ov\xFD"
                               "ch r\xE1mc\xF9"},      // Klíčových rámců
    {varoreres::IDC_SEQUENCE, "\xC8\xEDslo sekvence"}, // Číslo sekvence
    {varoreres::IDS_TYPE_LABEL, "Typ"},                // Typ
    {varoreres::IDC_FIRST_UNDEFORMED,
     "Prvn\xED sn\xEDmek bez deformace"}, // První snímek bez deformace
    {varoreres::IDS_HORIZONTAL_GROUP, " Vodorovn\xE9 chv\xECn\xED "}, //  Vodorovné chvění
    {varoreres::IDS_VERTICAL_GROUP, " Svisl\xE9 chv\xECn\xED "},      //  Svislé chvění
    {varoreres::IDS_MIN, "Min"},                                      // Min
    {varoreres::IDS_MAX, "Max"},                                      // Max
    {varoreres::IDC_DIFFERENCES_ONLY, "Return differences only"},     // Return differences only
    {varoreres::IDC_UPDATE_PREVIEW, "Aktualizovat n\xE1hled"},        // Aktualizovat náhled
    {varoreres::IDS_OK, "OK"},                                        // OK
    {varoreres::IDS_CANCEL, "Storno"},                                // Storno
    {varoreres::IDS_TYPE_FIRST + 0, "Bun\xEC\xE8n\xE1 struktura 1"},  // Buněčná struktura 1
    {varoreres::IDS_TYPE_FIRST + 1, "Bun\xEC\xE8n\xE1 struktura 2"},  // Buněčná struktura 2
    {varoreres::IDS_TYPE_FIRST + 2, "Perlin\xF9v \x9Aum 1"},          // Perlinův šum 1
    {varoreres::IDS_TYPE_FIRST + 3, "Perlin\xF9v \x9Aum 2"},          // Perlinův šum 2
    {varoreres::IDS_TYPE_FIRST + 4, "Perlin\xF9v \x9Aum 3"},          // Perlinův šum 3
    {varoreres::IDS_TYPE_FIRST + 5, "Perlin\xF9v \x9Aum 4"},          // Perlinův šum 4
    {varoreres::IDS_TYPE_FIRST + 6, "Perlin\xF9v \x9Aum 5"},          // Perlinův šum 5
    {varoreres::IDS_TYPE_FIRST + 7, "Perlin\xF9v \x9Aum 6"},          // Perlinův šum 6
    {varoreres::IDS_TYPE_FIRST + 8, "Absolut Perlin"},                // Absolut Perlin
};

constexpr KfmResourceTables kTables = {
    kKfmResourceTablesVersion, kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0, 1250,
};

} // namespace

KFM_RESOURCE_EXPORT const KfmResourceTables* KfmGetResourceTables() {
    return &kTables;
}
