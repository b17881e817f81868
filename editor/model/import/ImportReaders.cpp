#include "ImportReaders.h"

#include "ClipImport.h"
#include "FontSubstitution.h"
#include "MetafileLoading.h"
#include "VectorRender.h"
#include "text/TextFont.h"

#include <cstring>
#include <string>

namespace {

// AVI clips, FLIC animations and metafiles are read; missing faces are replaced.
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
    int SubstituteFont(LOGFONTA& font, std::string& substitution) override {
        return SubstituteMissingFace(font, substitution);
    }
};

DefaultReaders defaultReaders;
ImportReaders* installed = nullptr;

// The character set that accepts every face.
constexpr int kAnyCharset = 1;

// A substitution session for the lifetime of the object, unless one is open already.
class SubstitutionSession {
public:
    SubstitutionSession() : own_(KtfIsFontSubstitutionEnabled() == 0) {
        if (own_)
            KtfBeginFontSubstitution();
    }
    ~SubstitutionSession() {
        if (own_)
            KtfEndFontSubstitution();
    }
    SubstitutionSession(const SubstitutionSession&) = delete;
    SubstitutionSession& operator=(const SubstitutionSession&) = delete;

private:
    bool own_;
};

std::string faceName(const LOGFONTA& font) {
    return std::string(font.lfFaceName, strnlen(font.lfFaceName, sizeof font.lfFaceName));
}

} // namespace

int SubstituteMissingFace(LOGFONTA& font, std::string& substitution) {
    const std::string wanted = faceName(font);
    // Where no face can be listed (no font database, as in a program without a display), every
    // face would look missing: nothing is replaced then.
    if (wanted.empty() || kfm::text::facesOfCharset(kAnyCharset).empty())
        return 0;
    const SubstitutionSession session;
    if (!KtfSubstituteFont(&font))
        return 0;
    substitution = wanted + "|" + faceName(font) + "|";
    return 1;
}

ImportReaders& importReaders() {
    return installed ? *installed : defaultReaders;
}

void setImportReaders(ImportReaders* readers) {
    installed = readers;
}
