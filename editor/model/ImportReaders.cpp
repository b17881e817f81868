#include "ImportReaders.h"

namespace {

class NoReaders final : public ImportReaders {
public:
    int GetAviFileInfo(const char*, AviFileInformation&) override { return 0; }
    int ImportAviFrames(CAnimationData*, FrameList&, const char*, int, int, int, BOOL,
                        ImportProgress, HWND) override {
        return 0;
    }
    int FLICFileOpen(FlicReader** reader, const char*) override {
        if (reader)
            *reader = nullptr;
        return 1;
    }
    void FLICFileRelease(FlicReader*) override {}
    int ImportFlicFrames(CAnimationData*, FrameList&, FlicReader*, int, int, int, BOOL,
                         ImportProgress, HWND) override {
        return 0;
    }
    int LoadMetaFile(const char*, VectorObjectRecord&) override { return 0; }
    KpxHandle RenderMetafileImage(HENHMETAFILE, const RECT&, int, int, int, int) override {
        return 0;
    }
    int SubstituteFont(const LOGFONTA&, std::string&) override { return 0; }
};

NoReaders noReaders;
ImportReaders* installed = nullptr;

} // namespace

ImportReaders& importReaders() {
    return installed ? *installed : noReaders;
}

void setImportReaders(ImportReaders* readers) {
    installed = readers;
}
