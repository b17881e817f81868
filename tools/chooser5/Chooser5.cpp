// Stand-in for the outside export dialog library. Its dialog lets the user pick the file name
// and the format of the exported picture among the library's export formats; the program shows
// it (platform/exportdialog). On OK the record gets the chosen format, a path whose extension
// belongs to that format, and a depth the format holds; the size and the conversion settings
// stay as the program set them.

#include "Bitra5.h"
#include "exportdialog/ExportDialog.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

namespace ed = kfm::exportdialog;

constexpr std::size_t kPathCapacity = sizeof(ExportDialogRecord{}.path);

std::vector<ed::ExportFormat> offeredFormats() {
    std::vector<ed::ExportFormat> formats;
    for (int i = 0; i < KPXCountExportFormats(); ++i) {
        KpxFormatEntry entry{};
        if (KPXEnumerateExportFormats(i, &entry))
            formats.push_back({entry.formatId, entry.extension, entry.name});
    }
    return formats;
}

const ed::ExportFormat* findFormat(const std::vector<ed::ExportFormat>& formats, std::int32_t id) {
    const auto found = std::find_if(formats.begin(), formats.end(),
                                    [id](const ed::ExportFormat& f) { return f.id == id; });
    return found == formats.end() ? nullptr : &*found;
}

// The path with the format's extension, unless its own extension already names the format.
std::string pathForFormat(const std::string& path, const ed::ExportFormat& format) {
    if (KPXGetFormatFileExt(path.c_str()) == format.id)
        return path;
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + format.extension;
}

// A depth the format holds, as near to the picture's as it can be.
std::int32_t depthForFormat(std::int32_t formatId, std::int32_t bits) {
    switch (formatId) {
    case 90: // JPEG
        return 24;
    case 20: // GIF
    case 50: // WPG
        return std::min(bits, 8);
    case 80: // Targa
        return bits == 4 ? 8 : bits;
    default:
        return bits;
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) int
DoDlgExportBmp(HWND parent, ExportDialogRecord* record, const char* title) {
    if (!record)
        return 0;
    ed::ExportChoice choice;
    choice.title = title ? title : "";
    choice.formats = offeredFormats();
    choice.path.assign(record->path, strnlen(record->path, kPathCapacity));
    choice.formatId = record->formatId;
    if (ed::runExportDialog(parent, choice) != IDOK)
        return 0;
    const ed::ExportFormat* format = findFormat(choice.formats, choice.formatId);
    if (!format || choice.path.empty())
        return 0;
    const std::string path = pathForFormat(choice.path, *format);
    if (path.size() >= kPathCapacity)
        return 0;
    std::memset(record->path, 0, kPathCapacity);
    std::memcpy(record->path, path.data(), path.size());
    record->formatId = format->id;
    record->bitsPerPixel = depthForFormat(format->id, record->bitsPerPixel);
    return 1;
}
