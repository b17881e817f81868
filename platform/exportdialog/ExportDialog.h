#pragma once
// The outside export dialog library "Chooser5": the record the program hands to its entry
// DoDlgExportBmp and gets back edited, and the road by which the library, a shared object loaded
// at run time, shows its dialog through the program. The program installs a host that presents
// the choice (tests install a scripted one); without a host the dialog answers IDCANCEL.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "types/Export.h"
#include "types/Win32Types.h"

// The record of one export (360 bytes): the output path, its format, the picture's size in
// hundredths of a millimetre and in pixels, its depth, and the conversion settings the dialog may
// change. The fields the program sets to constants keep their places.
struct ExportDialogRecord {
    char path[260];
    std::int32_t formatId;
    std::int32_t reserved264;
    std::int32_t reserved268;
    std::int32_t widthHundredthsMm;
    std::int32_t heightHundredthsMm;
    std::int32_t reserved280;
    std::int32_t reserved284; // 1
    std::int32_t width;
    std::int32_t height;
    std::int32_t reserved296; // 1
    std::int32_t reserved300;
    std::int32_t dotsPerInch; // 96
    std::int32_t bitsPerPixel;
    std::int32_t dithering;
    std::int32_t grayScale;
    std::int32_t ditherPalette;
    std::int32_t compress;
    std::int32_t jpegQuality;
    std::int32_t isSeparateColor;
    std::int32_t colorSeparate;
    std::int32_t antialiasing;
    std::int32_t transparent;
    std::int32_t isBkgndColor;
    COLORREF bkgndColor;
    std::int32_t reserved356;
};
static_assert(sizeof(ExportDialogRecord) == 360);
static_assert(offsetof(ExportDialogRecord, formatId) == 260);
static_assert(offsetof(ExportDialogRecord, widthHundredthsMm) == 272);
static_assert(offsetof(ExportDialogRecord, width) == 288);
static_assert(offsetof(ExportDialogRecord, bitsPerPixel) == 308);
static_assert(offsetof(ExportDialogRecord, dithering) == 312);
static_assert(offsetof(ExportDialogRecord, bkgndColor) == 352);

// The library's entry: 1 when the user chose OK (the record then holds the choice).
using DoDlgExportBmpProc = int (*)(HWND parent, ExportDialogRecord* record, const char* title);
constexpr const char* kExportDialogEntry = "DoDlgExportBmp";

namespace kfm::exportdialog {

struct ExportFormat {
    std::int32_t id = 0;
    std::string extension; // with its dot
    std::string name;
};

// What the dialog shows and the user edits: the file name and the format, one of those offered.
struct ExportChoice {
    std::string title;
    std::vector<ExportFormat> formats;
    std::string path;
    std::int32_t formatId = 0;
};

class ExportDialogHost {
public:
    virtual ~ExportDialogHost() = default;
    // Shows the choice and lets the user edit it; IDOK or IDCANCEL.
    virtual int run(HWND parent, ExportChoice& choice) = 0;
};

// Installs the host (not owned); null removes it.
KFM_PLATFORM_API void setExportDialogHost(ExportDialogHost* host);
// Runs the dialog through the installed host; IDCANCEL without one.
KFM_PLATFORM_API int runExportDialog(HWND parent, ExportChoice& choice);

} // namespace kfm::exportdialog
