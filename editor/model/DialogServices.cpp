#include "DialogServices.h"

#include "FrameObject.h"

#include <algorithm>
#include <utility>

namespace {

class CancellingDialogs final : public DialogServices {
public:
    int runAviFilter(CDlgAVIFilter&) override { return IDCANCEL; }
    int runFlicFilter(CDlgFLICFilter&) override { return IDCANCEL; }
    int runFontSubst(CDlgFontSubst&) override { return IDCANCEL; }
    int runSizeVector(CDlgSizeVector&) override { return IDCANCEL; }
    int runCompress(CDlgCompress&) override { return IDCANCEL; }
    int runTextSettings(CObjFrame&) override { return IDCANCEL; }
};

CancellingDialogs cancellingDialogs;
DialogServices* installed = nullptr;

int smallerFrameCount(const ClipChoicePointers& choice, int clipFrames) {
    const int requested = choice.numFrames ? *choice.numFrames : clipFrames;
    return requested < 0 ? clipFrames : std::min(requested, clipFrames);
}

} // namespace

DialogServices& dialogs() {
    return installed ? *installed : cancellingDialogs;
}

void setDialogServices(DialogServices* services) {
    installed = services;
}

CDlgAVIFilter::CDlgAVIFilter(HWND parentWindow, std::string file, int max,
                             const AviFileInformation& information, BOOL* soundOut, BOOL* loop,
                             int* startFrame, int* numFrames, BOOL* selectAllFrames, int* divFrames,
                             BOOL* mergeFrames)
    : parent(parentWindow), path(std::move(file)), maxFrames(max), info(information),
      sound(soundOut), choice{loop,      startFrame, numFrames, selectAllFrames,
                              divFrames, mergeFrames} {}

int CDlgAVIFilter::DoModal() {
    return dialogs().runAviFilter(*this);
}

int CDlgAVIFilter::GetFrameCount() const {
    return smallerFrameCount(choice, clipFrameCount);
}

CDlgFLICFilter::CDlgFLICFilter(HWND parentWindow, std::string file, int max, FlicReader* flic,
                               BOOL* loop, int* startFrame, int* numFrames, BOOL* selectAllFrames,
                               int* divFrames, BOOL* mergeFrames)
    : parent(parentWindow), path(std::move(file)), maxFrames(max),
      reader(flic), choice{loop, startFrame, numFrames, selectAllFrames, divFrames, mergeFrames} {}

int CDlgFLICFilter::DoModal() {
    return dialogs().runFlicFilter(*this);
}

int CDlgFLICFilter::GetFrameCount() const {
    return smallerFrameCount(choice, clipFrameCount);
}

CDlgFontSubst::CDlgFontSubst(HWND parentWindow, std::string text)
    : parent(parentWindow), report(std::move(text)) {}

int CDlgFontSubst::DoModal() {
    return dialogs().runFontSubst(*this);
}

CDlgSizeVector::CDlgSizeVector(HWND parentWindow, int left, int top, int right, int bottom,
                               std::string caption)
    : parent(parentWindow), initial{left, top, right, bottom},
      title(std::move(caption)), chosen{left, top, right, bottom} {}

int CDlgSizeVector::DoModal() {
    return dialogs().runSizeVector(*this);
}

CDlgCompress::CDlgCompress(HWND parentWindow, int format, int bits, int* qualityInOut,
                           int* optionBitsInOut)
    : parent(parentWindow), formatId(format), bitsPerPixel(bits), quality(qualityInOut),
      optionBits(optionBitsInOut) {}

int CDlgCompress::DoModal() {
    return dialogs().runCompress(*this);
}

void HandTextObjectToFrame(CObjFrame& frame, const TextObjectRecord& record) {
    frame.DeleteTextObject();
    frame.SetTextObject(record);
    frame.hasText = 1;
}
