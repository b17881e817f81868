#include "ObjectDialogBackground.h"

#include "AppSettings.h"
#include "DialogBackground.h"
#include "MainFrame.h"
#include "views/ImageView.h"
#include "views/MainPanes.h"

namespace kfm::ui {

ObjectDialogBackground MakeObjectDialogBackground(CMainFrame& frame) {
    ObjectDialogBackground background;
    RECT selection{0, 0, 0, 0};
    if (const CImageView* canvas = frame.Panes().Canvas())
        selection = canvas->GetSelectionRect();
    background.image.reset(CreateObjectDialogBackground(
        kfm::shell::g_AppSettings.OptionsDlgRenderFrames, selection, background.rect));
    return background;
}

} // namespace kfm::ui
