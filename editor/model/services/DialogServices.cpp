#include "DialogServices.h"

#include <algorithm>
#include <utility>

namespace {

class CancellingDialogs final : public DialogServices {
public:
    int runAviImportChoice(AviImportChoice&) override { return IDCANCEL; }
    int runFlicImportChoice(FlicImportChoice&) override { return IDCANCEL; }
    int runFontSubstitutionReport(FontSubstitutionReport&) override { return IDCANCEL; }
    int runVectorSizeChoice(VectorSizeChoice&) override { return IDCANCEL; }
    int runCompressionChoice(CompressionChoice&) override { return IDCANCEL; }
    int runTextSettings(CObjFrame&) override { return IDCANCEL; }
};

CancellingDialogs cancellingDialogs;
DialogServices* installed = nullptr;

// All frames of a clip are as many as the import takes: the clip's frames up to the limit. (The
// count the user typed is no bound here: all frames ignores it.)
int allFramesCount(int clipFrames, int maxFrames) {
    return maxFrames > 0 ? std::min(clipFrames, maxFrames) : clipFrames;
}

} // namespace

DialogServices& dialogs() {
    return installed ? *installed : cancellingDialogs;
}

void setDialogServices(DialogServices* services) {
    installed = services;
}

AviImportChoice::AviImportChoice(HWND parentWindow, std::string file, int max,
                                 const AviFileInformation& information, BOOL* soundOut, BOOL* loop,
                                 int* startFrame, int* numFrames, BOOL* selectAllFrames,
                                 int* divFrames, BOOL* mergeFrames)
    : parent(parentWindow), path(std::move(file)), maxFrames(max), info(information),
      sound(soundOut), choice{loop,      startFrame, numFrames, selectAllFrames,
                              divFrames, mergeFrames} {}

int AviImportChoice::DoModal() {
    return dialogs().runAviImportChoice(*this);
}

int AviImportChoice::GetFrameCount() const {
    return allFramesCount(clipFrameCount, maxFrames);
}

FlicImportChoice::FlicImportChoice(HWND parentWindow, std::string file, int max, FlicReader* flic,
                                   BOOL* loop, int* startFrame, int* numFrames,
                                   BOOL* selectAllFrames, int* divFrames, BOOL* mergeFrames)
    : parent(parentWindow), path(std::move(file)), maxFrames(max),
      reader(flic), choice{loop, startFrame, numFrames, selectAllFrames, divFrames, mergeFrames} {}

int FlicImportChoice::DoModal() {
    return dialogs().runFlicImportChoice(*this);
}

int FlicImportChoice::GetFrameCount() const {
    return allFramesCount(clipFrameCount, maxFrames);
}

FontSubstitutionReport::FontSubstitutionReport(HWND parentWindow, std::string text)
    : parent(parentWindow), report(std::move(text)) {}

int FontSubstitutionReport::DoModal() {
    return dialogs().runFontSubstitutionReport(*this);
}

VectorSizeChoice::VectorSizeChoice(HWND parentWindow, int left, int top, int right, int bottom,
                                   std::string caption)
    : parent(parentWindow), initial{left, top, right, bottom},
      title(std::move(caption)), chosen{left, top, right, bottom} {}

int VectorSizeChoice::DoModal() {
    return dialogs().runVectorSizeChoice(*this);
}

CompressionChoice::CompressionChoice(HWND parentWindow, int format, int bits, int* qualityInOut,
                                     int* optionBitsInOut)
    : parent(parentWindow), formatId(format), bitsPerPixel(bits), quality(qualityInOut),
      optionBits(optionBitsInOut) {}

int CompressionChoice::DoModal() {
    return dialogs().runCompressionChoice(*this);
}
