#include "Document.h"

void CDocument::SetTitle(const std::string& title) {
    title_ = title;
}

void CDocument::SetPathName(const std::string& path, BOOL) {
    pathName_ = path;
    const auto slash = path.find_last_of('/');
    SetTitle(slash == std::string::npos ? path : path.substr(slash + 1));
}

BOOL CDocument::IsModified() {
    return modified_;
}

void CDocument::SetModifiedFlag(BOOL modified) {
    modified_ = modified ? TRUE : FALSE;
}

void CDocument::DeleteContents() {}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char*) {
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const char*) {
    return FALSE;
}

BOOL CDocument::DoSave(const char* path, BOOL replace) {
    if (!path || !*path)
        return FALSE;
    if (!OnSaveDocument(path))
        return FALSE;
    SetModifiedFlag(FALSE);
    if (replace)
        SetPathName(path);
    return TRUE;
}

BOOL CDocument::OpenDocumentFile(const char* path) {
    if (!OnOpenDocument(path)) {
        if (IsModified())
            OnNewDocument();
        return FALSE;
    }
    SetPathName(path ? path : "");
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnFileSave() {
    return DoSave(pathName_.empty() ? nullptr : pathName_.c_str(), TRUE);
}

BOOL CDocument::OnFileSaveAs() {
    return DoSave(nullptr, TRUE);
}
