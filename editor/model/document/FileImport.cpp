// Import of files into frames: GIF animations and still images through the image library, AVI
// and FLIC clips through their option dialogs and importers, metafiles as one vector frame.

#include "GIFAnimDoc.h"

#include "Bitra5.h"
#include "Bitra5ResourceIds.h"
#include "DialogServices.h"
#include "EdgeLocks.h"
#include "FrameChainBuild.h"
#include "Geometry.h"
#include "ImportReaders.h"
#include "Kfm5ResourceIds.h"
#include "LibraryFrameFiles.h"
#include "PaletteRender.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "clipboard/DropFiles.h"
#include "memory/GlobalMemory.h"
#include "registry/RegistryHelpers.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

// The drop import shows a fixed total, whatever the number of files.
constexpr int kDropProgressTotal = 5;

constexpr const char* kSectionAvi = "Dlgs\\AVIFilter";
constexpr const char* kSectionFlic = "Dlgs\\FLICFilter";

// The shared values of the AVI and FLIC dialogs, as stored in their registry sections.
struct ClipChoice {
    BOOL sound = 1;
    BOOL loop = 0;
    int startFrame = 0;
    int numFrames = -1;
    BOOL selectAllFrames = 1;
    int divFrames = -1;
    BOOL mergeFrames = 1;

    void read(const char* section, bool withSound) {
        if (withSound)
            sound = ReadRegBool(section, "Sound", 1);
        loop = ReadRegBool(section, "Loop", 0);
        startFrame = ReadRegInt(section, "StartFrame", 0, 0, 0);
        numFrames = ReadRegInt(section, "NumFrames", -1, 0, 0);
        selectAllFrames = ReadRegBool(section, "SelectAllFrames", 1);
        divFrames = ReadRegInt(section, "DivFrames", -1, 0, 0);
        mergeFrames = ReadRegBool(section, "MergeFrames", 1);
    }
    void write(const char* section, bool withSound) const {
        if (withSound)
            WriteRegBool(section, "Sound", sound);
        WriteRegBool(section, "Loop", loop);
        WriteRegInt(section, "StartFrame", startFrame);
        WriteRegInt(section, "NumFrames", numFrames);
        WriteRegBool(section, "SelectAllFrames", selectAllFrames);
        WriteRegInt(section, "DivFrames", divFrames);
        WriteRegBool(section, "MergeFrames", mergeFrames);
    }
};

int importResultOfDialog(int answer) {
    return answer == IDCANCEL ? kImportCancelled : kImportFailed;
}

// Runs a clip importer with progress on the main window, which moves with every frame taken and
// stops at Esc, or without progress into the animation record when there is no main window or
// no frame count.
template <typename Importer> int runClipImport(const ClipChoice& choice, Importer importer) {
    if (shell().hasMainWindow() && choice.numFrames > 0) {
        shell().setWaitCursor(true);
        // A stored step of 0 or less takes every frame; it never divides the total by zero.
        const int step = choice.divFrames > 0 ? choice.divFrames : 1;
        ProgressBegin(kfm5res::IDS_CAPTION_CLIP, choice.numFrames / step);
        const int result = importer(nullptr, IsEscapePressed);
        ProgressEnd();
        shell().setWaitCursor(false);
        return result;
    }
    return importer(g_pAnimationData, nullptr);
}

// The numbers from 1 of the given positions from 0, "-" for none.
std::string frameNumbers(const std::vector<int>& positions) {
    std::string text;
    for (const int position : positions)
        text += (text.empty() ? "" : ", ") + std::to_string(position + 1);
    return text.empty() ? "-" : text;
}

// Tells the user which frames the load left out or could not decode in full.
void reportIncompleteLoad(const char* path, const KpxFramesLoadReport& report) {
    if (report.complete())
        return;
    ShellMessageBoxLibraryText(
        bitra5res::IDS_FRAMES_NOT_READ, MB_ICONEXCLAMATION_,
        {path, frameNumbers(report.lostImages), frameNumbers(report.damagedFrames)});
}

bool hasGradedTransparency(KpxHandle image) {
    const KpxHandle plane = KPXGetImageTransparentImageEx(image);
    return plane && KPXbpp(plane) == 8;
}

int importThroughLibrary(CGIFAnimDoc& doc, const char* path, const KpxFileInfo& fileInfo,
                         FrameList& list, AnimateInfo* animateInfo) {
    KpxHandle chain = 0;
    {
        shell().setWaitCursor(true);
        ProgressBegin(kfm5res::IDS_CAPTION_LOADING, fileInfo.frameCount);
        chain = LoadImageFramesWithProgress(path, nullptr);
        ProgressEnd();
        shell().setWaitCursor(false);
    }
    const KpxFramesLoadReport loadReport = KPXGetFramesLoadReport();
    if (chain == -1)
        return kImportCancelled;
    if (chain == 0)
        return kImportFailed;
    if (animateInfo)
        KPXGetAnimateInfo(chain, animateInfo);
    std::string report;
    const int count = KPXGetImageFramesNum(chain);
    for (int i = 0; i < count; ++i) {
        const KpxHandle chainFrame = KPXGetImageFramesImage(chain, i);
        const KpxHandle image = KPXCreateImageFrom(chainFrame, 0);
        if (!image)
            continue;
        FrameInfo info{};
        KPXGetImageFramesInfo(chainFrame, &info);
        if (info.textObject) {
            std::string substitution;
            if (importReaders().SubstituteFont(info.textObject->font, substitution))
                report += std::to_string(i + 1) + "|" + substitution;
        }
        {
            // A picture with graded transparency (a PNG's alpha) is drawn through it.
            const int softAlpha = info.keepTransparency || hasGradedTransparency(image) ? 1 : 0;
            CObjFrame frame(static_cast<std::uint16_t>(image), info.width, info.height, info.left,
                            info.top, info.delay, info.disposal, info.transparency, info.name,
                            info.comment, info.textObject, info.controlObject, info.vectorObject,
                            info.npImageObject, softAlpha);
            list.push_back(frame);
            frame.SetImage(0);
        }
        FreeFrameParts(info, 0);
        KPXDeleteImage(image);
    }
    KPXDeleteImage(chain);

    int result = kImportDone;
    {
        shell().setWaitCursor(true);
        ProgressBegin(kfm5res::IDS_CAPTION_REBUILDING, CountObjectFrames(-1));
        result = RenderImagesFromInfo(&list, IsEscapePressed, nullptr);
        ProgressEnd();
        shell().setWaitCursor(false);
    }
    if (!report.empty()) {
        doc.RefreshViews(TRUE, TRUE);
        FontSubstitutionReport(nullptr, report).DoModal();
    }
    reportIncompleteLoad(path, loadReport);
    return result;
}

int importAvi(const char* path, const AviFileInformation& aviInfo, FrameList& list) {
    ClipChoice choice;
    choice.read(kSectionAvi, true);
    AviImportChoice dialog(nullptr, path, kMaxClipFrames, aviInfo, &choice.sound, &choice.loop,
                           &choice.startFrame, &choice.numFrames, &choice.selectAllFrames,
                           &choice.divFrames, &choice.mergeFrames);
    const int answer = dialog.DoModal();
    if (answer != IDOK)
        return importResultOfDialog(answer);
    choice.write(kSectionAvi, true);
    if (choice.selectAllFrames) {
        choice.startFrame = 1;
        choice.numFrames = dialog.GetFrameCount();
    }
    return runClipImport(choice, [&](CAnimationData* animation, ImportProgress progress) {
        return importReaders().ImportAviFrames(animation, list, path, choice.startFrame - 1,
                                               choice.numFrames, choice.divFrames,
                                               choice.mergeFrames, progress, nullptr);
    });
}

int importFlic(const char* path, FlicReader* reader, FrameList& list) {
    ClipChoice choice;
    choice.read(kSectionFlic, false);
    FlicImportChoice dialog(nullptr, path, kMaxClipFrames, reader, &choice.loop, &choice.startFrame,
                            &choice.numFrames, &choice.selectAllFrames, &choice.divFrames,
                            &choice.mergeFrames);
    const int answer = dialog.DoModal();
    if (answer != IDOK)
        return importResultOfDialog(answer);
    choice.write(kSectionFlic, false);
    if (choice.selectAllFrames) {
        choice.startFrame = 1;
        choice.numFrames = dialog.GetFrameCount();
    }
    return runClipImport(choice, [&](CAnimationData* animation, ImportProgress progress) {
        return importReaders().ImportFlicFrames(animation, list, reader, choice.startFrame - 1,
                                                choice.numFrames, choice.divFrames,
                                                choice.mergeFrames, progress, nullptr);
    });
}

std::string lowerExtension(const char* path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

int ImportMetafileFrame(const char* path, FrameList& list) {
    VectorObjectRecord record;
    if (!importReaders().LoadMetaFile(path, record)) {
        ShellMessageBox(kfm5res::IDS_METAFILE_FAILED, MB_ICONEXCLAMATION_);
        return 0;
    }
    VectorSizeChoice dialog(nullptr, record.sourceLeft, record.sourceTop, record.sourceRight,
                            record.sourceBottom, std::filesystem::path(path).filename().string());
    if (dialog.DoModal() != IDOK)
        return 0;
    RECT rect{};
    dialog.GetRect(rect);
    if (!CheckEdgeLocks(&g_pAnimationData->frames, &rect))
        return 0;
    record.width = rect.right - rect.left + 1;
    record.height = rect.bottom - rect.top + 1;
    record.antialias = dialog.GetAntialiasing();
    shell().setWaitCursor(true);
    const KpxHandle image = importReaders().RenderMetafileImage(
        record.metafile.get(), rect, GetRotationAngle(record.matrix), 0,
        IsMatrixMirrored(record.matrix), record.antialias);
    if (!image) {
        shell().setWaitCursor(false);
        return 0;
    }
    FrameInfo info{};
    KPXGetImageFramesInfo(image, &info);
    {
        CObjFrame frame(static_cast<std::uint16_t>(image), info.width, info.height, info.left,
                        info.top, info.delay, info.disposal, info.transparency, info.name,
                        info.comment, info.textObject, info.controlObject, &record,
                        info.npImageObject, info.keepTransparency);
        list.push_back(frame);
    }
    FreeFrameParts(info, 0);
    shell().setWaitCursor(false);
    return 1;
}

int CGIFAnimDoc::ImportFile(const char* path, FrameList& list, AnimateInfo* info) {
    if (!path || !*path)
        return kImportFailed;
    KpxFileInfo fileInfo{};
    if (KPXGetInfoFile(path, &fileInfo) && fileInfo.formatId != 0)
        return importThroughLibrary(*this, path, fileInfo, list, info);

    ImportReaders& readers = importReaders();
    AviFileInformation aviInfo;
    if (readers.GetAviFileInfo(path, aviInfo))
        return importAvi(path, aviInfo, list);

    FlicReader* reader = nullptr;
    int result = kImportFailed;
    bool flic = false;
    if (readers.FLICFileOpen(&reader, path) == 0 && reader) {
        flic = true;
        result = importFlic(path, reader, list);
    }
    if (reader)
        readers.FLICFileRelease(reader);
    if (flic)
        return result;

    const std::string extension = lowerExtension(path);
    if (extension == ".wmf" || extension == ".emf")
        return ImportMetafileFrame(path, list);
    return kImportFailed;
}

int CGIFAnimDoc::InsertFile(FrameList& list, const char* names, BOOL multiple) {
    if (!names || !*names)
        return 0;
    std::vector<std::string> paths;
    const std::string first = names;
    const char* next = names + first.size() + 1;
    if (multiple && *next) {
        std::string folder = first;
        if (folder.back() != '/')
            folder += '/';
        for (; *next; next += std::strlen(next) + 1)
            paths.push_back(folder + next);
    } else {
        // One path (a multi-selection of one file comes as its whole path).
        paths.push_back(first);
    }
    const bool mainWindow = shell().hasMainWindow();
    shell().setWaitCursor(true);
    if (mainWindow) {
        ProgressBegin(kfm5res::IDS_CAPTION_LOADING, static_cast<int>(paths.size()));
    }
    for (const std::string& path : paths) {
        FrameList imported;
        if (ImportFile(path.c_str(), imported, nullptr) != kImportFailed)
            list.insert(list.end(), imported.begin(), imported.end());
        if (mainWindow)
            ProgressStep();
    }
    if (mainWindow)
        ProgressEnd();
    g_Progress.active = false;
    shell().setWaitCursor(false);
    return 1;
}

std::unique_ptr<FrameList> CGIFAnimDoc::ImportDroppedFiles(HGLOBAL drop) {
    if (!drop)
        return nullptr;
    const auto* block = static_cast<const std::uint8_t*>(GlobalLock(drop));
    if (!block)
        return nullptr;
    const std::vector<std::string> names = kfm::clipboard::dropFilesNames(block, GlobalSize(drop));
    m_nDropField = 0;
    auto result = std::make_unique<FrameList>();
    const bool mainWindow = shell().hasMainWindow();
    shell().setWaitCursor(true);
    if (mainWindow) {
        ProgressBegin(kfm5res::IDS_CAPTION_LOADING, kDropProgressTotal);
    }
    const CAnimationData& a = *g_pAnimationData;
    for (const std::string& name : names) {
        FrameList imported;
        if (ImportFile(name.c_str(), imported, nullptr) != kImportFailed) {
            for (CObjFrame& frame : imported) {
                if (!a.AnimationStateElasticSize) {
                    frame.left = std::min(frame.left, a.AnimationWidth - 1);
                    frame.top = std::min(frame.top, a.AnimationHeight - 1);
                }
                result->push_back(frame);
            }
        }
        SplitFramesImage(imported, 0);
        if (mainWindow)
            ProgressStep();
    }
    GlobalUnlock(drop);
    if (mainWindow)
        ProgressEnd();
    g_Progress.active = false;
    shell().setWaitCursor(false);
    return result;
}
