#pragma once
// The editor's one document. It holds no animation data of its own: frames, size, loop count
// and comment live in the program-wide animation record, which the document fills on new and
// open, and writes on save. A save renders and clips the object frames inside an internal undo
// step that it undoes at its end, so the objects stay editable. The browser preview writes a
// temporary GIF with a small HTML page; the document deletes these files when it goes.

#include <memory>
#include <string>
#include <vector>

#include "AnimationData.h"
#include "FrameReduction.h"
#include "framework/Document.h"

struct OptimizeOptions;

// Import results.
constexpr int kImportFailed = 0;
constexpr int kImportDone = 1;
constexpr int kImportCancelled = 2;

class CGIFAnimDoc : public CDocument {
public:
    CGIFAnimDoc();
    ~CGIFAnimDoc() override;

    void SetTitle(const std::string& title) override;
    // A non-empty path that is not a ".gif" file (compared in lower case) resets the title and
    // keeps no path, so the document's path is always empty or a GIF file.
    void SetPathName(const std::string& path, BOOL addToMRU = TRUE) override;
    BOOL IsModified() override;
    void SetModifiedFlag(BOOL modified = TRUE) override;
    // Splits a chain still built on the list, destroys every frame, empties the comment.
    void DeleteContents() override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* path) override;
    // Writes the animation as a GIF: 1 written, 0 failed, -1 stopped with Esc; FALSE for a
    // target that is not a GIF name and for a cancel while reducing or rendering.
    BOOL OnSaveDocument(const char* path) override;
    // Save (path given) and Save As (null or empty path: asks for a name). In save mode 2 it
    // exports the current frame instead and leaves the modified flag and the undo history alone.
    BOOL DoSave(const char* path, BOOL replace = TRUE) override;

    // Writes the program-wide export image to fileName in the format of its extension. A
    // format that holds the image's depth is written after the compression dialog; otherwise,
    // when the user agrees, the conversion dialog of the outside library Chooser5 picks size,
    // depth and format first (ExportFramesWithDialog). 1 when a file was written, 0 when not
    // (unknown extension, a dialog cancelled, the conversion declined, a failed export), or the
    // library's save result.
    int SaveAsOtherFormat(const char* fileName);
    // Converts the export image as the user chooses in the Chooser5 dialog and saves it; every
    // failure shows its message. TRUE when the picture was saved.
    BOOL ExportFramesWithDialog(const char* fileName);

    void RefreshViews(BOOL invalidate, BOOL erase);
    void ResetTitle();
    // Clips the rendered images of the object frames to the animation area; frames wholly
    // outside it are removed. The object records keep the positions before the clip.
    void ClipObjectFramesToAnimation();
    // Keeps the sources of frames deeper than 8 bits in their np-image records and gives plain
    // 24-bit frames an 8-bit picture for the file (FrameReduction): 1, or 2 when stopped.
    int ReduceFramesTo8Bit(FrameList& list, ReduceProgress callback, HWND window);
    // The path of a temporary HTML page showing the animation, or "" when nothing was written.
    std::string SaveTempGIF();
    // Save, Save As and Print are enabled with at least one real frame.
    BOOL OnUpdateNeedsFrames() const;

    // Import of files into frames (1 imported, 2 cancelled, 0 failed).
    int ImportFile(const char* path, FrameList& list, AnimateInfo* info);
    // Imports each file of a file-dialog result into list: one path (multiple FALSE) or a
    // folder followed by names, each zero-terminated, ended by an empty name. 1, or 0 for a null
    // or empty name.
    int InsertFile(FrameList& list, const char* names, BOOL multiple);
    // The frames of the files of a drop record (DROPFILES and its names), or null.
    std::unique_ptr<FrameList> ImportDroppedFiles(HGLOBAL drop);

    // The temporary preview pages made so far (their ".tmp", ".gif" and ".htm" forms are
    // deleted with the document).
    const std::vector<std::string>& TemporaryFiles() const { return m_TempFiles; }

    // The optimiser's members (Optimizer.h holds them; these forward).
    int OptimizeAnimation(OptimizeOptions options);
    int RemoveRedundantPixels();
    void CropFramesToOptimalRect(int fromSecondFrame);
    // The size in bytes of the document's file on disk, 0 when there is none.
    int GetFileSize();
    // The size in bytes of the animation saved as a GIF, measured through a temporary file that
    // is always removed; 0 when image is 0 or the save fails.
    unsigned int MeasureSavedFileSize(short image);

    int m_bSendingMail = 0;
    int m_bKeepSizeOnNew = 0;
    int m_nContentsOrigin = 0;
    int m_nDropField = 0;

private:
    // Save steps 2 to 6 (the internal step, reduction, rendering, clipping); 1, or 2 on Esc.
    int prepareFramesForWrite(UINT reduceCaption, UINT renderCaption, bool cropFirst);
    // The end of every save road after the internal step began.
    void undoInternalStep();
    // Writes the built chain to path with progress under caption; message 10786 on failure.
    int writeChain(const std::string& path, UINT caption);
    void stopPreview();
    void appendPlaceholder();

    std::vector<std::string> m_TempFiles;
    bool internalStepOpen_ = false;
};

// Loads a Windows or enhanced metafile as one vector frame appended to list, sized in the
// vector size dialog: 1, or 0 when it cannot be loaded (message 10834), the dialog is
// cancelled or the edge locks refuse the size.
int ImportMetafileFrame(const char* path, FrameList& list);
// The path with its extension replaced ("gif" gives ".gif"); an empty path stays empty.
std::string ReplaceFileExtension(const std::string& path, const char* extension);
// The folder the outside export library Chooser5 is loaded from: the program's own unless a
// folder (with a trailing "/") is set here; an empty folder returns to the program's.
void SetExportLibraryFolder(const std::string& folder);
