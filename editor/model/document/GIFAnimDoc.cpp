#include "GIFAnimDoc.h"

#include <QDir>
#include <QTemporaryDir>

#include "AnimationAreaCrop.h"
#include "Bitra5.h"
#include "FrameChainBuild.h"
#include "FrameReduction.h"
#include "Kfm5ResourceIds.h"
#include "LibraryFrameFiles.h"
#include "OpenFailure.h"
#include "Optimizer.h"
#include "PaletteRender.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "UndoHistory.h"
#include "registry/RegistryHelpers.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

constexpr int kSaveModeAnimation = 1;
constexpr int kSaveModeExport = 2;

constexpr const char* kSectionFileDialog = "Dlgs\\FileOpenSave";

// The page of the browser preview when the language library has none: background colour, GIF
// file name, width and height.
constexpr const char* kDefaultPreviewPage =
    "<html><body bgcolor=\"#%s\"><img src=\"%s\" width=\"%s\" height=\"%s\"></body></html>";

FrameList& frames() {
    return g_pAnimationData->frames;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A new empty file "kfmXXXX.tmp" in the temporary folder; "" when none could be made.
std::string makeTemporaryFile(const char* prefix) {
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    if (ec)
        return {};
    std::random_device rd;
    unsigned value = rd() & 0xFFFF;
    for (int attempt = 0; attempt < 0x10000; ++attempt, value = (value + 1) & 0xFFFF) {
        char name[32];
        std::snprintf(name, sizeof name, "%s%04X.tmp", prefix, value);
        const std::string path = (folder / name).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

std::string hexColourRedFirst(COLORREF colour) {
    const unsigned red = colour & 0xFF;
    const unsigned green = (colour >> 8) & 0xFF;
    const unsigned blue = (colour >> 16) & 0xFF;
    char text[8];
    std::snprintf(text, sizeof text, "%06x", (red << 16) | (green << 8) | blue);
    return text;
}

} // namespace

std::string ReplaceFileExtension(const std::string& path, const char* extension) {
    if (path.empty())
        return path;
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string result = hasExtension ? path.substr(0, dot) : path;
    if (extension && *extension)
        result += std::string(".") + (extension[0] == '.' ? extension + 1 : extension);
    return result;
}

CGIFAnimDoc::CGIFAnimDoc() = default;

CGIFAnimDoc::~CGIFAnimDoc() {
    for (const std::string& entry : m_TempFiles)
        for (const char* extension : {"tmp", "gif", "htm"}) {
            std::error_code ec;
            fs::remove(ReplaceFileExtension(entry, extension), ec);
        }
    m_TempFiles.clear();
}

void CGIFAnimDoc::SetTitle(const std::string& title) {
    CDocument::SetTitle(title);
}

void CGIFAnimDoc::SetPathName(const std::string& path, BOOL addToMRU) {
    if (!path.empty() && lowerCase(fs::path(path).extension().string()) != ".gif") {
        ResetTitle();
        return;
    }
    CDocument::SetPathName(path, addToMRU);
}

BOOL CGIFAnimDoc::IsModified() {
    return CDocument::IsModified();
}

void CGIFAnimDoc::SetModifiedFlag(BOOL modified) {
    CDocument::SetModifiedFlag(modified);
}

void CGIFAnimDoc::RefreshViews(BOOL invalidate, BOOL erase) {
    shell().refreshViews(invalidate, erase);
}

void CGIFAnimDoc::ResetTitle() {
    std::string untitled = shell().loadString(kfm5res::AFX_IDS_UNTITLED);
    SetTitle(untitled.empty() ? "Untitled" : untitled);
    ClearPathName();
    SetModifiedFlag(FALSE);
}

BOOL CGIFAnimDoc::OnUpdateNeedsFrames() const {
    return g_pAnimationData && g_pAnimationData->frames.size() >= 2;
}

void CGIFAnimDoc::stopPreview() {
    if (g_bPreviewPlaying)
        shell().sendToMainWindow(WM_COMMAND, kfm5res::ID_STOP_PREVIEW, 0);
}

void CGIFAnimDoc::appendPlaceholder() {
    frames().emplace_back();
}

void CGIFAnimDoc::DeleteContents() {
    SplitFramesImage(frames(), 0);
    frames().clear();
    g_pAnimationData->comment.clear();
    CDocument::DeleteContents();
}

BOOL CGIFAnimDoc::OnNewDocument() {
    stopPreview();
    if (!CDocument::OnNewDocument())
        return FALSE;
    if (g_bStartingUp)
        ResetAnimationOptions();
    appendPlaceholder();
    TheUndoHistory().Reset();
    m_nContentsOrigin = 1;
    return TRUE;
}

BOOL CGIFAnimDoc::OnOpenDocument(const char* path) {
    stopPreview();
    if (g_bStartingUp)
        ResetAnimationOptions();
    DeleteContents();
    shell().updateAllViews();
    RefreshViews(TRUE, TRUE);
    CAnimationData& a = *g_pAnimationData;
    const std::string file = path ? path : "";
    std::error_code ec;
    if (file.empty() || !fs::exists(file, ec)) {
        appendPlaceholder();
        a.UpdateFrameCount();
        shell().updateAllViews();
        RefreshViews(TRUE, TRUE);
        ResetTitle();
        ShellMessageBoxFormatted(kfm5res::IDS_FILE_MISSING, MB_OK_, {file});
        return FALSE;
    }
    AnimateInfo info{};
    const int result = ImportFile(file.c_str(), a.frames, &info);
    if (result == kImportDone && !CanvasFits(info.screenWidth, info.screenHeight)) {
        std::free(info.comment);
        DeleteContents();
        appendPlaceholder();
        a.UpdateFrameCount();
        shell().refreshStripView();
        shell().updateAllViews();
        RefreshViews(TRUE, TRUE);
        ShowOpenFailure(file, {OpenFailureKind::TooLarge, info.screenWidth, info.screenHeight});
        ResetTitle();
        return FALSE;
    }
    if (result == kImportDone) {
        appendPlaceholder();
        a.UpdateFrameCount();
        if (info.screenWidth >= 1 && info.screenHeight >= 1) {
            a.AnimationWidth = info.screenWidth;
            a.AnimationHeight = info.screenHeight;
            a.frameCount = info.frameCount;
            a.loopCount = info.loopCount;
            a.comment = info.comment ? info.comment : "";
        } else if (a.frames.front().width >= 1 && a.frames.front().height >= 1) {
            a.AnimationWidth = a.frames.front().width;
            a.AnimationHeight = a.frames.front().height;
        }
        std::free(info.comment);
        ClearNPImageObjects(a.frames);
        DeleteEmptyFrames();
        TheUndoHistory().Reset();
        m_nContentsOrigin = 2;
        return TRUE;
    }
    std::free(info.comment);
    if (result == kImportCancelled) {
        SplitFramesImage(a.frames, 0);
        a.frames.clear();
        appendPlaceholder();
        a.frameCount = 0;
        ResetTitle();
        shell().refreshStripView();
        shell().updateAllViews();
        RefreshViews(TRUE, TRUE);
        SetModifiedFlag(TRUE);
        return FALSE;
    }
    appendPlaceholder();
    a.UpdateFrameCount();
    shell().refreshStripView();
    shell().updateAllViews();
    RefreshViews(TRUE, TRUE);
    ShowOpenFailure(file, DiagnoseOpenFailure(file));
    ResetTitle();
    SetModifiedFlag(TRUE);
    return FALSE;
}

BOOL CGIFAnimDoc::DoSave(const char* path, BOOL replace) {
    stopPreview();
    const int mode = g_nSaveMode == kSaveModeExport ? kSaveModeExport : kSaveModeAnimation;
    if (mode == kSaveModeAnimation && CheckFramesInsideAnimation() == IDCANCEL)
        return FALSE;
    const bool pathGiven = path && *path;
    std::string target = pathGiven ? path : "";
    if (!pathGiven) {
        const std::string initName = ReadRegString(kSectionFileDialog, "SaveInitName", "image");
        ReadRegString(kSectionFileDialog, "SaveInitPath", "");
        FileDialogRequest request;
        const fs::path proposed(initName);
        request.folder = proposed.parent_path().string();
        request.file = proposed.stem().string();
        request.filterIndex = ReadRegInt(kSectionFileDialog, "SaveFilter", 1, 0, 0);
        request.open = false;
        request.defaultExtension = "*.gif";
        request.filter = shell().loadString(
            mode == kSaveModeAnimation ? kfm5res::IDS_FILTER_GIF_ONLY : kfm5res::IDS_FILTER_EXPORT);
        request.title = shell().loadString(kfm5res::IDS_TITLE_SAVE);
        if (shell().doFileDialog(request) != IDOK || request.file.empty())
            return FALSE;
        WriteRegString(kSectionFileDialog, "SaveInitPath", request.folder.c_str());
        WriteRegString(kSectionFileDialog, "SaveInitName", request.file.c_str());
        WriteRegInt(kSectionFileDialog, "SaveFilter", request.filterIndex);
        target = request.file;
    }
    std::error_code ec;
    const bool existedBefore = fs::exists(target, ec);
    const int result = mode == kSaveModeAnimation ? OnSaveDocument(target.c_str())
                                                  : SaveAsOtherFormat(target.c_str());
    RefreshViews(TRUE, TRUE);
    // An export writes one frame to another file: the animation itself stays as unsaved (or
    // saved) as it was, and its undo history stays.
    if (mode == kSaveModeExport) {
        if (result != 1 && !pathGiven && !existedBefore)
            fs::remove(target, ec);
        return result == 1;
    }
    if (result == 1) {
        SetModifiedFlag(FALSE);
        if (replace)
            SetPathName(target, TRUE);
        TheUndoHistory().Reset();
        return TRUE;
    }
    // Only a file this save created goes; a file that was there before stays.
    if (!pathGiven && !existedBefore)
        fs::remove(target, ec);
    SetModifiedFlag(TRUE);
    return FALSE;
}

int CGIFAnimDoc::ReduceFramesTo8Bit(FrameList& list, ReduceProgress callback, HWND window) {
    return ::ReduceFramesTo8Bit(list, callback, window);
}

int CGIFAnimDoc::prepareFramesForWrite(UINT reduceCaption, UINT renderCaption, bool cropFirst) {
    TheUndoHistory().BeginStep(kUndoKindSaveAndPreview);
    if (cropFirst)
        CropFramesToAnimation();
    int result = 0;
    {
        WaitCursor wait;
        ProgressBegin(reduceCaption, CountFrames24Bit());
        result = ReduceFramesTo8Bit(frames(), IsEscapePressed, nullptr);
        ProgressEnd();
    }
    if (result == 2)
        return 2;
    {
        WaitCursor wait;
        ProgressBegin(renderCaption, CountObjectFrames(-1));
        result = RenderImagesFromFrames(&frames(), IsEscapePressed, nullptr);
        ProgressEnd();
    }
    if (result == 2)
        return 2;
    ClipObjectFramesToAnimation();
    TheUndoHistory().EndStep(0);
    internalStepOpen_ = false;
    return 1;
}

void CGIFAnimDoc::undoInternalStep() {
    DeleteRenderedImages(frames());
    ClearNPImageObjects(frames());
    // A step left open by a cancel is closed first, so whatever changed before the cancel is
    // undone too.
    if (internalStepOpen_)
        TheUndoHistory().EndStep(0);
    internalStepOpen_ = false;
    if (TheUndoHistory().GetCurrentKind() == kUndoKindSaveAndPreview)
        TheUndoHistory().Undo();
}

int CGIFAnimDoc::writeChain(const std::string& path, UINT caption) {
    int result = 0;
    {
        WaitCursor wait;
        ProgressBegin(caption, static_cast<int>(frames().size()) - 1);
        const auto head = static_cast<KpxHandle>(frames().front().GetDisplayImage());
        result = SaveImageFramesWithProgress(head, path.c_str(), nullptr);
        ProgressEnd();
    }
    SplitFramesImage(frames(), 1);
    DeleteRenderedImages(frames());
    if (result == 0)
        ShellMessageBoxFormatted(SaveFailureMessage(kfm5res::IDS_WRITE_FAILED), MB_ICONHAND_,
                                 {path});
    return result;
}

BOOL CGIFAnimDoc::OnSaveDocument(const char* path) {
    const std::string target = path ? path : "";
    const std::string formatSource = m_bSendingMail ? GetPathName() : target;
    if (KPXGetFormatFileExt(formatSource.c_str()) != formatNumber(FormatId::Gif)) {
        ShellMessageBoxFormatted(kfm5res::IDS_NOT_GIF_NAME, MB_OK_, {target});
        return FALSE;
    }
    internalStepOpen_ = true;
    int result = 0;
    if (prepareFramesForWrite(kfm5res::IDS_CAPTION_REDUCING, kfm5res::IDS_CAPTION_RENDERING,
                              false) == 1) {
        PutAllFramesInfo(1);
        if (BuildFramesImage(frames(), 1, 1) == 1)
            result = writeChain(target, kfm5res::IDS_CAPTION_SAVING);
    }
    undoInternalStep();
    return result;
}

void CGIFAnimDoc::ClipObjectFramesToAnimation() {
    CAnimationData& a = *g_pAnimationData;
    const RECT animation{0, 0, a.AnimationWidth - 1, a.AnimationHeight - 1};
    for (auto it = a.frames.begin(); it != a.frames.end();) {
        CObjFrame& f = *it;
        if (!f.hasText && !f.hasVector) {
            ++it;
            continue;
        }
        const auto rendered = static_cast<KpxHandle>(f.GetRenderedImage());
        // The records keep where the object stood before the clip; a frame that shows the
        // picture it was read with stands where that picture was clipped, so its records keep
        // the position they were read with.
        const bool recordPosition = !f.objectsAsRead;
        if (f.hasText && recordPosition) {
            f.text.left = f.left;
            f.text.top = f.top;
        }
        if (f.hasVector && recordPosition) {
            f.vector.left = f.left;
            f.vector.top = f.top;
        }
        if (!IsFrameOutsideAnimation(f, 1, 1) || !rendered) {
            ++it;
            continue;
        }
        const RECT frame{f.left, f.top, f.left + f.width - 1, f.top + f.height - 1};
        const RECT r{std::max(frame.left, animation.left), std::max(frame.top, animation.top),
                     std::min(frame.right, animation.right),
                     std::min(frame.bottom, animation.bottom)};
        const KpxHandle cropped = (r.left <= r.right && r.top <= r.bottom)
                                      ? KPXCropImageEx(rendered, r.left - f.left, r.top - f.top,
                                                       r.right - f.left, r.bottom - f.top, 1)
                                      : 0;
        if (!cropped) {
            it = a.frames.erase(it);
            --a.frameCount;
            continue;
        }
        KPXDeleteImage(
            static_cast<KpxHandle>(f.SetRenderedImage(static_cast<std::uint16_t>(cropped))));
        f.left = r.left;
        f.top = r.top;
        ++it;
    }
}

std::string CGIFAnimDoc::SaveTempGIF() {
    PutAllFramesInfo(1);
    const std::string temporary = makeTemporaryFile("kfm");
    if (temporary.empty())
        return {};
    std::string result = ReplaceFileExtension(temporary, "htm");
    m_TempFiles.push_back(result);
    const std::string gifPath = ReplaceFileExtension(temporary, "gif");
    internalStepOpen_ = true;
    if (prepareFramesForWrite(kfm5res::IDS_CAPTION_REDUCING, kfm5res::IDS_CAPTION_RENDERING,
                              true) != 1) {
        result.clear();
    } else if (BuildFramesImage(frames(), 1, 1) != 1 ||
               writeChain(gifPath, kfm5res::IDS_CAPTION_PREVIEW) != 1) {
        // A page without its picture is of no use to the preview.
        result.clear();
    }
    undoInternalStep();
    if (result.empty())
        return result;
    const std::string stored = shell().loadString(kfm5res::IDS_PREVIEW_PAGE);
    const CAnimationData& a = *g_pAnimationData;
    const std::string page = FormatText(
        stored.empty() ? kDefaultPreviewPage : stored,
        {hexColourRedFirst(g_Settings.animBkColor), fs::path(gifPath).filename().string(),
         std::to_string(a.AnimationWidth), std::to_string(a.AnimationHeight)});
    std::ofstream out(result, std::ios::binary | std::ios::trunc);
    out.write(page.data(), static_cast<std::streamsize>(page.size()));
    if (!out)
        return {};
    return result;
}

int CGIFAnimDoc::OptimizeAnimation(OptimizeOptions options) {
    return ::OptimizeAnimation(options);
}

int CGIFAnimDoc::RemoveRedundantPixels() {
    return ::RemoveRedundantPixels();
}

void CGIFAnimDoc::CropFramesToOptimalRect(int fromSecondFrame) {
    ::CropFramesToOptimalRect(fromSecondFrame);
}

int CGIFAnimDoc::GetFileSize() {
    return GetFileSizeOnDisk(GetPathName());
}

unsigned int CGIFAnimDoc::MeasureSavedFileSize(short image) {
    if (!image)
        return 0;
    // The folder and everything in it go when it goes out of scope.
    const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/kfmXXXXXX"));
    if (!folder.isValid())
        return 0;
    const std::string path = folder.filePath(QStringLiteral("kfm.gif")).toStdString();
    if (OnSaveDocument(path.c_str()) != 1)
        return 0;
    return static_cast<unsigned int>(GetFileSizeOnDisk(path));
}
