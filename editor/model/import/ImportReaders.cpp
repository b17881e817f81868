#include "ImportReaders.h"

#include "ClipImport.h"
#include "MetafileLoading.h"
#include "VectorRender.h"

namespace {

// AVI clips, FLIC animations and metafiles are read; fonts are not substituted.
class DefaultReaders final : public ImportReaders {
public:
    int GetAviFileInfo(const char* path, AviFileInformation& info) override {
        return ::GetAviFileInfo(path, info);
    }
    int ImportAviFrames(CAnimationData* animation, FrameList& list, const char* path, int start,
                        int count, int step, BOOL merge, ImportProgress progress,
                        HWND window) override {
        return ::ImportAviFrames(animation, list, path, start, count, step, merge, progress,
                                 window);
    }
    int FLICFileOpen(FlicReader** reader, const char* path) override {
        return ::FLICFileOpen(reader, path);
    }
    void FLICFileRelease(FlicReader* reader) override { ::FLICFileRelease(reader); }
    int ImportFlicFrames(CAnimationData* animation, FrameList& list, FlicReader* reader, int start,
                         int count, int step, BOOL merge, ImportProgress progress,
                         HWND window) override {
        return ::ImportFlicFrames(animation, list, reader, start, count, step, merge, progress,
                                  window);
    }
    int LoadMetaFile(const char* path, VectorObjectRecord& record) override {
        return ::LoadMetaFile(path, &record);
    }
    KpxHandle RenderMetafileImage(HENHMETAFILE metafile, const RECT& rect, int angle,
                                  int interpolation, int mirrored, int antialias) override {
        return ::RenderMetafileImage(metafile, rect, angle, interpolation, mirrored, antialias);
    }
    int SubstituteFont(const LOGFONTA&, std::string&) override { return 0; }
};

DefaultReaders defaultReaders;
ImportReaders* installed = nullptr;

} // namespace

ImportReaders& importReaders() {
    return installed ? *installed : defaultReaders;
}

void setImportReaders(ImportReaders* readers) {
    installed = readers;
}
