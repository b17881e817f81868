#pragma once
// Writes a picture as a 24-bit BMP file (BI_RGB, no colour table): the 14-byte "BM" file
// header, the 40-byte info header and the rows bottom-up, each padded to a multiple of 4 bytes.

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

namespace kfm::patina {

// The step of the save that failed; its name is the text the dialog shows.
enum class BitmapSaveStep {
    Done,
    GetObject,
    GlobalAlloc,
    GetDIBits,
    CreateFile,
    WriteFile,
    CloseHandle
};
const char* BitmapSaveStepName(BitmapSaveStep step);

// The file's bytes; empty for a null picture.
std::vector<std::uint8_t> BitmapFileBytes(const QImage& picture);

// Writes the file: GetObject fails for a null picture, GlobalAlloc when memory runs out,
// CreateFile when the file cannot be made, WriteFile and CloseHandle when writing or finishing
// it fails (the file is then left as it was).
BitmapSaveStep SaveBitmapFile(const QString& path, const QImage& picture);

} // namespace kfm::patina
