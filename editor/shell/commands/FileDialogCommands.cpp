#include "FileDialogCommands.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "DlgDetailsGIF.h"
#include "DlgNewDoc.h"
#include "DlgPrintOptions.h"
#include "DlgThumbSize.h"
#include "FlimmerApp.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "SplitterSizes.h"
#include "views/MainPanes.h"

#include <filesystem>

namespace kfm::ui {

using namespace kfm5res;
using kfm::shell::g_AppSettings;

void FileDialogCommands::RouteCommands(CommandRouter& router) {
    route(router, {ID_FILE_NEW_ANIMATION}, [this](UINT) { OnNewAnimation(); });
    route(router, {ID_FILE_GIF_DETAILS}, [this](UINT) { OnGifDetails(); });
    route(router, {ID_FILE_PRINT_OPTIONS}, [this](UINT) { OnPrintOptions(); });
    route(router, {ID_THUMBNAIL_CUSTOM_SIZE}, [this](UINT) { OnThumbnailCustomSize(); });
}

void FileDialogCommands::OnNewAnimation() {
    int width = 0;
    int height = 0;
    kfm::dialogs::CDlgNewDoc dialog(&frame_, &width, &height, &g_AppSettings.InitAnimFormatID,
                                    &g_AppSettings.InitAnimWidth, &g_AppSettings.InitAnimHeight);
    if (dialog.exec() != QDialog::Accepted || !g_pAnimationData)
        return;
    g_pAnimationData->AnimationWidth = width;
    g_pAnimationData->AnimationHeight = height;
    if (CGIFAnimDoc* document = app_.Document())
        document->m_bKeepSizeOnNew = 1;
    PostMessageTo(&frame_, WM_COMMAND, ID_FILE_NEW, 0);
}

void FileDialogCommands::OnGifDetails() {
    SendMessageTo(&frame_, WM_COMMAND, ID_STOP_PREVIEW, 0);
    CGIFAnimDoc* document = app_.Document();
    if (!document || document->GetFileSize() <= 0)
        return;
    const std::string path = document->GetPathName();
    const std::vector<KpxGifBlockInfo> blocks = kfm::dialogs::ReadGifBlocks(path.c_str());
    if (blocks.empty())
        return;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    kfm::dialogs::CDlgDetailsGIF dialog(&frame_, QString::fromLocal8Bit(path.c_str()),
                                        error ? 0 : static_cast<long long>(size),
                                        static_cast<int>(blocks.size()), blocks.data());
    dialog.exec();
}

void FileDialogCommands::OnPrintOptions() {
    int rim = g_AppSettings.PrintRim;
    int title = g_AppSettings.PrintTitle;
    int rendered = g_AppSettings.PrintRendered;
    int bypass = g_AppSettings.PrintOrderBypass;
    int columns = g_AppSettings.PrintOrderColumns;
    int rows = g_AppSettings.PrintOrderRows;
    kfm::dialogs::CDlgPrintOptions dialog(&frame_, &rim, &title, &rendered, &bypass, &columns,
                                          &rows);
    if (dialog.exec() != QDialog::Accepted)
        return;
    g_AppSettings.PrintRim = rim;
    g_AppSettings.PrintTitle = title;
    g_AppSettings.PrintRendered = rendered;
    g_AppSettings.PrintOrderBypass = bypass;
    g_AppSettings.PrintOrderColumns = columns;
    g_AppSettings.PrintOrderRows = rows;
}

void FileDialogCommands::OnThumbnailCustomSize() {
    int width = g_AppSettings.ThumbnailCustomWidth;
    int height = g_AppSettings.ThumbnailCustomHeight;
    kfm::dialogs::CDlgThumbSize dialog(&frame_, &width, &height);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool changed = width != g_AppSettings.ThumbnailCustomWidth ||
                         height != g_AppSettings.ThumbnailCustomHeight;
    g_AppSettings.ThumbnailCustomWidth = width;
    g_AppSettings.ThumbnailCustomHeight = height;
    frame_.Panes().SetThumbnailID(kfm::shell::kThumbnailCustom, changed, true, true);
}

} // namespace kfm::ui
