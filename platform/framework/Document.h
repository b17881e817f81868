#pragma once
// The document of a single-document application without widgets: title, path, modified flag and
// the steps of new, open and save. The application's own document derives from it and overrides
// the steps; the shell drives them (File New, Open, Save, Save As) and shows the title.

#include <string>

#include "types/Export.h"
#include "types/Win32Types.h"

class KFM_PLATFORM_API CDocument {
public:
    CDocument() = default;
    virtual ~CDocument() = default;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const std::string& GetTitle() const { return title_; }
    const std::string& GetPathName() const { return pathName_; }

    virtual void SetTitle(const std::string& title);
    // Keeps the path and makes its file name (without folder) the title. addToMRU is the
    // shell's business: the base ignores it.
    virtual void SetPathName(const std::string& path, BOOL addToMRU = TRUE);
    virtual BOOL IsModified();
    virtual void SetModifiedFlag(BOOL modified = TRUE);
    // Empties the document's contents; the base has none.
    virtual void DeleteContents();
    // DeleteContents, then unmodified. TRUE.
    virtual BOOL OnNewDocument();
    // DeleteContents, then unmodified. TRUE (a derived document reads the file).
    virtual BOOL OnOpenDocument(const char* path);
    // The base writes nothing: FALSE.
    virtual BOOL OnSaveDocument(const char* path);
    // Saves to path; a null or empty path asks the derived document for a name (the base has
    // no dialog and fails). With replace the document takes the path after a good save.
    virtual BOOL DoSave(const char* path, BOOL replace = TRUE);

    // File Open: OnOpenDocument; on success the document takes the path and is unmodified. A
    // failed open that left the document modified (its contents half replaced) starts a new
    // document.
    BOOL OpenDocumentFile(const char* path);
    // File Save: DoSave with the document's path (none: Save As). File Save As: DoSave(null).
    BOOL OnFileSave();
    BOOL OnFileSaveAs();

protected:
    // Clears the path without touching the title.
    void ClearPathName() { pathName_.clear(); }

private:
    std::string title_;
    std::string pathName_;
    BOOL modified_ = FALSE;
};
