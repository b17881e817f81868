// The export of one frame's picture to the image library's other formats: straight through the
// compression dialog when the format holds the picture's depth, else through the conversion
// dialog of the outside library Chooser5, which is loaded beside the program for each export.

#include "GIFAnimDoc.h"

#include "Bitra5.h"
#include "DialogServices.h"
#include "Kfm5ResourceIds.h"
#include "LibraryFrameFiles.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "exportdialog/ExportDialog.h"
#include "registry/RegistryHelpers.h"
#include "resources/ResourceLibrary.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kSectionCompress = "Dlgs\\Compress";
constexpr const char* kSectionConvert = "Dlgs\\Convert";
constexpr const char* kExportLibrary = "Chooser5.so";
constexpr int kDefaultQuality = 70;
constexpr int kDotsPerInch = 96;
constexpr int kHundredthsMmPerInch = 2540;

std::string libraryFolder;

// Whether a format (by its id) holds pictures of a depth without conversion: PCX, TIFF, BMP,
// PNG and BMI hold every depth, GIF and WPG up to 8 bits, Targa 1, 8 and deeper ones, JPEG only
// deep ones; icons, MacPaint and formats the library does not write none.
bool formatHoldsDepth(std::int32_t formatId, int bits) {
    const bool palette = bits == 1 || bits == 4 || bits == 8;
    switch (formatId) {
    case 10:  // PCX
    case 30:  // TIFF
    case 40:  // BMP, DIB, RLE
    case 100: // PNG
    case 110: // BMI
        return true;
    case 20: // GIF
    case 50: // WPG
        return palette;
    case 80: // Targa
        return bits != 4;
    case 90: // JPEG
        return !palette;
    default:
        return false;
    }
}

std::string programFolder() {
    char path[PATH_MAX] = {};
    if (!GetModuleFileNameA(nullptr, path, sizeof path))
        return {};
    return std::filesystem::path(path).parent_path().string() + "/";
}

std::string exportLibraryPath() {
    return (libraryFolder.empty() ? programFolder() : libraryFolder) + kExportLibrary;
}

// The outside library for the time of one export.
class OutsideLibrary {
public:
    explicit OutsideLibrary(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
    ~OutsideLibrary() {
        if (module_)
            FreeLibrary(module_);
    }
    OutsideLibrary(const OutsideLibrary&) = delete;
    OutsideLibrary& operator=(const OutsideLibrary&) = delete;
    DoDlgExportBmpProc entry() const {
        return module_ ? reinterpret_cast<DoDlgExportBmpProc>(
                             GetProcAddress(module_, kExportDialogEntry))
                       : nullptr;
    }

private:
    HMODULE module_;
};

// Shows the outside library's dialog through the program's dialog services while it runs.
class ExportDialogBridge final : public kfm::exportdialog::ExportDialogHost {
public:
    ExportDialogBridge() { kfm::exportdialog::setExportDialogHost(this); }
    ~ExportDialogBridge() override { kfm::exportdialog::setExportDialogHost(nullptr); }
    ExportDialogBridge(const ExportDialogBridge&) = delete;
    ExportDialogBridge& operator=(const ExportDialogBridge&) = delete;
    int run(HWND, kfm::exportdialog::ExportChoice& choice) override {
        return dialogs().runExportFormatChoice(choice);
    }
};

// The parts of a file name as _splitpath gives them (the drive is always empty here).
struct NameParts {
    std::string folder; // with its trailing "/"
    std::string name;
    std::string extension; // with its dot, in lower case
};

NameParts splitName(const std::string& path) {
    NameParts parts;
    const std::size_t slash = path.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    parts.folder = path.substr(0, start);
    const std::string file = path.substr(start);
    const std::size_t dot = file.find_last_of('.');
    parts.name = file.substr(0, dot);
    if (dot != std::string::npos)
        parts.extension = file.substr(dot);
    std::transform(parts.extension.begin(), parts.extension.end(), parts.extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return parts;
}

// The conversion settings of the record under their registry names.
struct RecordSetting {
    const char* name;
    std::int32_t ExportDialogRecord::*field;
    int defaultValue;
    bool boolean;
};

constexpr RecordSetting kConvertSettings[] = {
    {"dithering", &ExportDialogRecord::dithering, 0, false},
    {"grayScale", &ExportDialogRecord::grayScale, 0, true},
    {"ditherPalette", &ExportDialogRecord::ditherPalette, 1, false},
    {"compress", &ExportDialogRecord::compress, 1, false},
    {"jpegQuality", &ExportDialogRecord::jpegQuality, 75, false},
    {"isSeparateColor", &ExportDialogRecord::isSeparateColor, 0, true},
    {"colorSeparate", &ExportDialogRecord::colorSeparate, 0, false},
    {"antialiasing", &ExportDialogRecord::antialiasing, 0, true},
    {"transparent", &ExportDialogRecord::transparent, 0, true},
    {"isbkgndcolor", &ExportDialogRecord::isBkgndColor, 0, true},
};
constexpr const char* kBackgroundColour = "bkgndcolor";
constexpr COLORREF kDefaultBackground = 0xFFFFFF;

void readConvertSettings(ExportDialogRecord& record) {
    for (const RecordSetting& s : kConvertSettings)
        record.*s.field = s.boolean ? ReadRegBool(kSectionConvert, s.name, s.defaultValue)
                                    : ReadRegInt(kSectionConvert, s.name, s.defaultValue, 0, 0);
    record.bkgndColor = static_cast<COLORREF>(
        ReadRegInt(kSectionConvert, kBackgroundColour, static_cast<int>(kDefaultBackground), 0, 0));
}

void writeConvertSettings(const ExportDialogRecord& record) {
    for (const RecordSetting& s : kConvertSettings) {
        if (s.boolean)
            WriteRegBool(kSectionConvert, s.name, record.*s.field);
        else
            WriteRegInt(kSectionConvert, s.name, record.*s.field);
    }
    WriteRegInt(kSectionConvert, kBackgroundColour, static_cast<int>(record.bkgndColor));
}

// The record for an export of image to path.
ExportDialogRecord exportRecord(KpxHandle image, const std::string& path) {
    ExportDialogRecord record{};
    std::strncpy(record.path, path.c_str(), sizeof record.path - 1);
    record.formatId = KPXGetFormatFileExt(record.path);
    record.width = KPXWidth(image);
    record.height = KPXHeight(image);
    record.widthHundredthsMm = record.width * kHundredthsMmPerInch / kDotsPerInch;
    record.heightHundredthsMm = record.height * kHundredthsMmPerInch / kDotsPerInch;
    record.reserved284 = 1;
    record.reserved296 = 1;
    record.dotsPerInch = kDotsPerInch;
    record.bitsPerPixel = KPXbpp(image);
    readConvertSettings(record);
    return record;
}

// Each step of the conversion road with its progress caption; 0 and the step's message when
// it fails.
KpxHandle resizedCopy(KpxHandle image, const ExportDialogRecord& record, const std::string& path) {
    ProgressBegin(kfm5res::IDS_CAPTION_RESIZING, record.height);
    const KpxHandle resized = KPXNewSizeImage(image, record.width, record.height, ProgressStep);
    ProgressEnd();
    if (!resized)
        ShellMessageBoxFormatted(kfm5res::IDS_EXPORT_RESIZE_FAILED, MB_ICONEXCLAMATION_, {path});
    return resized;
}

KpxHandle convertedCopy(KpxHandle image, const ExportDialogRecord& record,
                        const std::string& path) {
    ProgressBegin(kfm5res::IDS_CAPTION_CLIP, record.height);
    const KpxHandle converted = KPXColorConvert(
        image, static_cast<short>(record.bitsPerPixel), static_cast<short>(record.dithering),
        static_cast<short>(record.ditherPalette), record.grayScale, nullptr, ProgressStep);
    ProgressEnd();
    if (!converted)
        ShellMessageBoxFormatted(kfm5res::IDS_EXPORT_CONVERT_FAILED, MB_ICONEXCLAMATION_, {path});
    return converted;
}

bool savedCopy(KpxHandle image, const ExportDialogRecord& record, const std::string& path) {
    ProgressBegin(kfm5res::IDS_CAPTION_SAVING, record.height);
    const int saved = KPXSaveImage(image, path.c_str(), record.formatId, record.compress,
                                   record.jpegQuality, ProgressStep);
    ProgressEnd();
    if (saved != 1)
        ShellMessageBoxFormatted(SaveFailureMessage(kfm5res::IDS_EXPORT_SAVE_FAILED),
                                 MB_ICONEXCLAMATION_, {path});
    return saved == 1;
}

// Resizes, converts and saves the export image as the record says.
bool convertAndSave(KpxHandle image, const ExportDialogRecord& record) {
    const std::string path = record.path;
    const WaitCursor wait;
    const KpxHandle resized = resizedCopy(image, record, path);
    if (!resized)
        return false;
    const KpxHandle converted = convertedCopy(resized, record, path);
    KPXDeleteImage(resized);
    if (!converted)
        return false;
    const bool saved = savedCopy(converted, record, path);
    KPXDeleteImage(converted);
    return saved;
}

} // namespace

void SetExportLibraryFolder(const std::string& folder) {
    libraryFolder = folder;
}

int CGIFAnimDoc::SaveAsOtherFormat(const char* fileName) {
    const std::string path = fileName ? fileName : "";
    const std::int32_t formatId = KPXGetFormatFileExt(path.c_str());
    if (formatId == 0) {
        ShellMessageBoxFormatted(kfm5res::IDS_NOT_GIF_NAME, MB_OK_, {path});
        return 0;
    }
    KpxFormatEntry format{};
    KPXGetFormatName(formatId, &format);
    const auto image = static_cast<KpxHandle>(g_hExportImage);
    const int bits = KPXbpp(image);
    if (!formatHoldsDepth(formatId, bits)) {
        if (ShellMessageBoxFormatted(kfm5res::IDS_QUESTION_CONVERT_FOR_FORMAT,
                                     MB_YESNO_ | MB_ICONQUESTION_,
                                     {format.name, std::to_string(bits)}) != IDYES_)
            return 0;
        // Only a written file is an export: a cancelled or failed conversion saved nothing.
        return ExportFramesWithDialog(fileName) ? 1 : 0;
    }
    int quality = ReadRegInt(kSectionCompress, "JPEGValue", kDefaultQuality, 0, 0);
    int options = 0;
    CompressionChoice dialog(nullptr, formatId, bits, &quality, &options);
    const int answer = dialog.DoModal();
    WriteRegInt(kSectionCompress, "JPEGValue", quality);
    if (answer != IDOK)
        return 0;
    const WaitCursor wait;
    ProgressBegin(kfm5res::IDS_CAPTION_SAVING, KPXHeight(image));
    const int result = KPXSaveImage(image, path.c_str(), formatId, options, quality, ProgressStep);
    ProgressEnd();
    if (result != 1)
        ShellMessageBoxFormatted(SaveFailureMessage(kfm5res::IDS_EXPORT_SAVE_FAILED),
                                 MB_ICONEXCLAMATION_, {path});
    return result;
}

BOOL CGIFAnimDoc::ExportFramesWithDialog(const char* fileName) {
    const auto image = static_cast<KpxHandle>(g_hExportImage);
    if (!image) {
        ShellMessageBox(kfm5res::IDS_EXPORT_NO_IMAGE, MB_ICONEXCLAMATION_);
        return FALSE;
    }
    const OutsideLibrary chooser(exportLibraryPath());
    const DoDlgExportBmpProc runDialog = chooser.entry();
    if (!runDialog) {
        ShellMessageBox(kfm5res::IDS_EXPORT_LIBRARY_MISSING, MB_ICONEXCLAMATION_);
        return FALSE;
    }
    const NameParts parts = splitName(fileName ? fileName : "");
    std::string path = fileName ? fileName : "";
    if (path.empty())
        path = parts.folder + "x_" + parts.name + parts.extension;
    ExportDialogRecord record = exportRecord(image, path);
    const std::string initPath = ReadRegString(kSectionConvert, "InitPath", "");
    const std::string title =
        FormatResourceText(kfm5res::IDS_EXPORT_TITLE,
                           {parts.name, parts.extension, std::to_string(record.width),
                            std::to_string(record.height), std::to_string(record.bitsPerPixel)});
    int answer = 0;
    {
        const ExportDialogBridge bridge;
        answer = runDialog(nullptr, &record, title.c_str());
    }
    WriteRegString(kSectionConvert, "InitPath", initPath.c_str());
    writeConvertSettings(record);
    if (answer != 1)
        return FALSE;
    record.path[sizeof record.path - 1] = '\0';
    std::error_code error;
    if (std::filesystem::exists(record.path, error) &&
        ShellMessageBoxFormatted(kfm5res::IDS_EXPORT_REPLACE_FILE, MB_YESNO_ | MB_ICONEXCLAMATION_,
                                 {record.path}) != IDYES_)
        return FALSE;
    return convertAndSave(image, record) ? TRUE : FALSE;
}
