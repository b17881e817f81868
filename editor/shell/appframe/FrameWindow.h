#pragma once
// The frame of a single-document program: a main window that routes command ids, takes private
// messages, shows "program - document" as its caption and asks whether to save a changed
// document before the document goes (on New, Open and Close).

#include <QMainWindow>

#include "CommandRouter.h"
#include "MessageTarget.h"

class CDocument;

namespace kfm::ui {

class CFrameWnd : public QMainWindow, public MessageTarget {
public:
    explicit CFrameWnd(QWidget* parent = nullptr);
    ~CFrameWnd() override;

    CommandRouter& Router() { return router_; }
    CDocument* GetActiveDocument() const { return document_; }
    void SetActiveDocument(CDocument* document);

    // The caption from the program's title (string AFX_IDS_APP_TITLE) and the document's title.
    void OnUpdateFrameTitle();
    // When the document is modified, asks whether to save it (Yes saves, No drops the changes,
    // Cancel keeps everything). True when the caller may go on and replace or close it.
    bool SaveModified();

    // WM_COMMAND runs a command by id (its low word); other messages go to OnMessage.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called when the window is asked to close; false keeps it open. The base asks SaveModified.
    virtual bool OnClose();
    // After the document was saved through SaveModified.
    virtual void OnDocumentSaved() {}

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CommandRouter router_;
    CDocument* document_ = nullptr;
};

} // namespace kfm::ui
