#pragma once
// The modal dialogs that import, paste and export open, as the model sees them: each dialog is a
// small record of its constructor's values and of the user's choice, and DoModal hands it to the
// installed dialog services, which the shell implements with real windows and tests with
// scripted answers. Without an installed implementation every dialog answers IDCANCEL, so no
// road goes on with values nobody chose. Like ShellServices, this is the model's only road to
// the dialogs. The records are named for what they carry (...Choice, ...Report); the shell's
// dialog classes (CDlgAVIFilter, CDlgSizeVector, ...) keep the window names.

#include <array>
#include <cstdint>
#include <string>

#include "ObjectRecords.h"
#include "exportdialog/ExportDialog.h"
#include "types/Win32Types.h"

class CObjFrame;

// The largest number of clip frames the user may select in the AVI and FLIC dialogs.
constexpr int kMaxClipFrames = 200;

// What the AVI reader tells about a clip (108 bytes, laid out by the reader).
struct AviFileInformation {
    std::array<std::uint8_t, 108> bytes{};
};

// The choices shared by the AVI and FLIC import dialogs; the dialogs write them through the
// caller's pointers on OK.
struct ClipChoicePointers {
    BOOL* loop = nullptr;
    int* startFrame = nullptr; // counted from 1
    int* numFrames = nullptr;
    BOOL* selectAllFrames = nullptr;
    int* divFrames = nullptr; // take every n-th frame
    BOOL* mergeFrames = nullptr;
};

class AviImportChoice {
public:
    AviImportChoice(HWND parent, std::string path, int maxFrames, const AviFileInformation& info,
                    BOOL* sound, BOOL* loop, int* startFrame, int* numFrames, BOOL* selectAllFrames,
                    int* divFrames, BOOL* mergeFrames);
    // IDOK or IDCANCEL; on IDOK the values behind the pointers hold the choice.
    int DoModal();
    // The smaller of the clip's frame count and the import limit: what "all frames" takes.
    int GetFrameCount() const;

    HWND parent;
    std::string path;
    int maxFrames;
    AviFileInformation info;
    BOOL* sound;
    ClipChoicePointers choice;
    // Set by the dialog: the number of frames of the clip.
    int clipFrameCount = 0;
};

// An open FLIC file, as the image library's FLIC reader hands it out.
struct KpxFlicReader;
using FlicReader = KpxFlicReader;

class FlicImportChoice {
public:
    FlicImportChoice(HWND parent, std::string path, int maxFrames, FlicReader* reader, BOOL* loop,
                     int* startFrame, int* numFrames, BOOL* selectAllFrames, int* divFrames,
                     BOOL* mergeFrames);
    int DoModal();
    int GetFrameCount() const;

    HWND parent;
    std::string path;
    int maxFrames;
    FlicReader* reader;
    ClipChoicePointers choice;
    int clipFrameCount = 0;
};

// The report of an import's font substitutions: entries of a 1-based frame number in decimal,
// "|" and the substitution text.
class FontSubstitutionReport {
public:
    FontSubstitutionReport(HWND parent, std::string report);
    int DoModal();

    HWND parent;
    std::string report;
};

// The size of a vector frame, opened with the metafile's own rectangle (inclusive).
class VectorSizeChoice {
public:
    VectorSizeChoice(HWND parent, int left, int top, int right, int bottom, std::string title);
    int DoModal();
    void GetRect(RECT& out) const { out = chosen; }
    std::uint8_t GetAntialiasing() const { return antialiasing; }

    HWND parent;
    RECT initial;
    std::string title;
    // Set by the dialog on OK.
    RECT chosen;
    std::uint8_t antialiasing = 0;
};

// Compression options for saving one image in another format.
class CompressionChoice {
public:
    CompressionChoice(HWND parent, int formatId, int bitsPerPixel, int* quality, int* optionBits);
    int DoModal();

    HWND parent;
    int formatId;
    int bitsPerPixel;
    int* quality;    // 5..100
    int* optionBits; // enabled per format and depth
};

// The file name and format of an exported picture, as the outside export dialog library
// (Chooser5) asks for them: its dialog reaches the program through the export dialog host.
using ExportFormatChoice = kfm::exportdialog::ExportChoice;

class DialogServices {
public:
    virtual ~DialogServices() = default;
    virtual int runAviImportChoice(AviImportChoice& dialog) = 0;
    virtual int runFlicImportChoice(FlicImportChoice& dialog) = 0;
    virtual int runFontSubstitutionReport(FontSubstitutionReport& dialog) = 0;
    virtual int runVectorSizeChoice(VectorSizeChoice& dialog) = 0;
    virtual int runCompressionChoice(CompressionChoice& dialog) = 0;
    virtual int runExportFormatChoice(ExportFormatChoice&) { return IDCANCEL; }
    // The text settings dialog of a frame: on OK it has handed its record to the frame with
    // HandTextObjectToFrame.
    virtual int runTextSettings(CObjFrame& frame) = 0;
};

// The installed implementation, or the stand-in that cancels every dialog.
DialogServices& dialogs();
// Installs an implementation (not owned); null returns to the stand-in.
void setDialogServices(DialogServices* services);
