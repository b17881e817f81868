#pragma once
// The readers behind the import roads other than the image library's: the AVI and FLIC clip
// importers, the metafile loader and renderer, and the font library's substitution check. They
// are reached through this interface so that the import can be driven before they all exist and
// tested with scripted readers. The readers installed by default read AVI clips and FLIC
// animations (ClipImport.h) and metafiles (MetafileLoading.h, VectorRender.h), and replace a
// missing face through the font library (FontSubstitution.h).

#include <string>

#include "AnimationData.h"
#include "Bitra5.h"
#include "ClipImport.h"
#include "DialogServices.h"

class ImportReaders {
public:
    virtual ~ImportReaders() = default;

    // 1 and the clip's information when the file is an AVI clip, else 0.
    virtual int GetAviFileInfo(const char* path, AviFileInformation& info) = 0;
    // Appends frames of the clip to list; with an animation record that record receives the
    // clip's size, loop count 1, comment and frame count. The import result (1, 2, 0).
    virtual int ImportAviFrames(CAnimationData* animation, FrameList& list, const char* path,
                                int startFrame, int numFrames, int divFrames, BOOL mergeFrames,
                                ImportProgress callback, HWND window) = 0;
    // 0 with a reader when the file is a FLIC animation (the image library's reader).
    virtual int FLICFileOpen(FlicReader** reader, const char* path) = 0;
    virtual void FLICFileRelease(FlicReader* reader) = 0;
    virtual int ImportFlicFrames(CAnimationData* animation, FrameList& list, FlicReader* reader,
                                 int startFrame, int numFrames, int divFrames, BOOL mergeFrames,
                                 ImportProgress callback, HWND window) = 0;
    // 1 when the metafile was loaded into the record (its metafile, source rectangle and units).
    virtual int LoadMetaFile(const char* path, VectorObjectRecord& record) = 0;
    // The metafile drawn into a new image of the rectangle's size; 0 on failure.
    virtual KpxHandle RenderMetafileImage(HENHMETAFILE metafile, const RECT& rect, int angle,
                                          int interpolation, int mirrored, int antialias) = 0;
    // Non-zero when the font asks for a face that is not installed: the font then names the
    // face that replaces it, and the text says "wanted|chosen|" for the font report.
    virtual int SubstituteFont(LOGFONTA& font, std::string& substitution) = 0;
};

// The installed readers, or the stand-in that recognises nothing.
ImportReaders& importReaders();
// Installs readers (not owned); null returns to the stand-in.
void setImportReaders(ImportReaders* readers);

// The font library's replacement for a face this machine lacks: non-zero, the font changed to
// the replacement and the text "wanted|chosen|", when the face is missing; 0 otherwise. Works
// inside an open substitution session, or in one of its own.
int SubstituteMissingFace(LOGFONTA& font, std::string& substitution);
