#include "FileDialogCommands.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "DlgDetailsGIF.h"
#include "DlgNewDoc.h"
#include "DlgPrintOptions.h"
#include "DlgThumbSize.h"
#include "FileDialog.h"
#include "FlimmerApp.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "PlugInManager.h"
#include "PreferencePages.h"
#include "Preferences.h"
#include "ProgramState.h"
#include "ResourceAccess.h"
#include "ShellServices.h"
#include "SplitterSizes.h"
#include "StartupValues.h"
#include "SysControlRegistry.h"
#include "UndoHistory.h"
#include "filterhost/FilterHost.h"
#include "filterhost/PluginListFile.h"
#include "registry/RegistryHelpers.h"
#include "views/MainPanes.h"

#include <QFileDialog>
#include <QMessageBox>

#include <filesystem>
#include <set>

namespace kfm::ui {

using namespace kfm5res;
using kfm::shell::g_AppSettings;

namespace {

std::string appPath(int kind) {
    char path[1024] = {};
    return kfm::shell::GetAppPath(kind, path, sizeof path) ? std::string(path) : std::string();
}

// The outside filter host's folders and the plug-in manager's, as the plug-ins page shows them.
class ProgramPluginFolders final : public kfm::dialogs::PluginFolders {
public:
    ~ProgramPluginFolders() override { release(); }
    void Load() override {
        release();
        host().CreateContext(&context_);
        if (context_)
            host().LoadList(context_, appPath(0));
        CPlugInManager& manager = ThePlugInManager();
        manager.PlugInRemoveAll();
        manager.PlugInReadCache(appPath(0), true);
        manager.PlugInReadCache(appPath(1), true);
    }
    std::vector<std::string> Folders() const override {
        std::vector<std::string> folders;
        std::set<std::string> seen;
        const auto take = [&](const std::string& folder) {
            if (seen.insert(kfm::filterhost::FolderKey(folder)).second)
                folders.push_back(folder);
        };
        if (context_) {
            std::vector<std::string> hostFolders;
            host().QueryFolders(context_, hostFolders);
            for (const std::string& folder : hostFolders)
                take(folder);
        }
        for (const PlugInFolder& folder : ThePlugInManager().Folders())
            take(folder.path);
        return folders;
    }
    unsigned Count() const override {
        int filters = 0;
        if (context_)
            host().CountFilters(context_, &filters);
        return static_cast<unsigned>(std::max(filters, 0) +
                                     std::max(ThePlugInManager().PlugInGetCount(), 0));
    }
    int Add(const std::string& folder) override {
        const WaitCursor wait;
        const int result = context_ ? host().AddFolder(context_, folder) : -1;
        ThePlugInManager().PlugInSearchFolder(folder);
        return result;
    }
    void Rebuild() override {
        const WaitCursor wait;
        if (context_)
            host().Rescan(context_);
        ThePlugInManager().PlugInRebuild();
    }
    void Remove(const std::string& folder) override {
        if (context_)
            host().RemoveFolder(context_, folder);
        ThePlugInManager().PlugInRemove(folder);
    }
    void Clear() override {
        release();
        ThePlugInManager().PlugInRemoveAll();
        host().CreateContext(&context_);
    }
    void Save() override {
        if (context_)
            host().WriteList(context_, appPath(0));
        ThePlugInManager().PlugInWriteCache(appPath(1));
    }
    // The plug-in libraries stay loaded for the process (the manager's records hold copies).
    void UnloadAll() override {}

private:
    static kfm::filterhost::FilterHost& host() { return kfm::filterhost::TheFilterHost(); }
    void release() {
        if (context_)
            host().ReleaseContext(context_);
        context_ = nullptr;
    }
    kfm::filterhost::FilterHostContext* context_ = nullptr;
};

bool chooseProgram(QWidget* parent, QString& path, const std::string& section) {
    FileDialogRequest request;
    request.folder = ReadRegString(section.c_str(), "OpenInitPath", "");
    request.filterIndex = ReadRegInt(section.c_str(), "OpenFilter", 1, 0, 0);
    request.open = true;
    request.title = ResourceText(IDS_TITLE_OPEN);
    request.filter = ResourceText(IDS_FILTER_ALL_FILES);
    request.file = path.toLocal8Bit().toStdString();
    if (DoFileDialog(parent, request) != IDOK)
        return false;
    WriteRegString(section.c_str(), "OpenInitPath", request.folder.c_str());
    WriteRegInt(section.c_str(), "OpenFilter", request.filterIndex);
    path = QString::fromLocal8Bit(request.file.c_str());
    return true;
}

} // namespace

void FileDialogCommands::RouteCommands(CommandRouter& router) {
    route(router, {ID_FILE_NEW_ANIMATION}, [this](UINT) { OnNewAnimation(); });
    route(router, {ID_FILE_GIF_DETAILS}, [this](UINT) { OnGifDetails(); });
    route(router, {ID_FILE_PRINT_OPTIONS}, [this](UINT) { OnPrintOptions(); });
    route(router, {ID_FILE_SAVE_FRAME}, [this](UINT) { OnSaveFrame(); });
    route(router, {ID_THUMBNAIL_CUSTOM_SIZE}, [this](UINT) { OnThumbnailCustomSize(); });
    route(router, {ID_TOOLS_PREFERENCES}, [this](UINT) { ShowPreferences(-1); });
    route(router, {ID_TOOLS_PLUGIN_PREFERENCES},
          [this](UINT) { ShowPreferences(kfm::dialogs::CPreferences::kPlugins); });
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

void FileDialogCommands::OnSaveFrame() {
    CGIFAnimDoc* document = app_.Document();
    if (!document || !g_pAnimationData)
        return;
    std::int16_t image = 0;
    for (const CObjFrame& frame : g_pAnimationData->frames)
        if (frame.selected && frame.GetImage()) {
            image = static_cast<std::int16_t>(frame.GetImage());
            break;
        }
    if (!image)
        return;
    // Save As writes the export image in the format of the name chosen while the mode is 2.
    g_nSaveMode = 2;
    g_hExportImage = image;
    document->DoSave(nullptr, TRUE);
    g_hExportImage = 0;
    g_nSaveMode = 1;
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

void FileDialogCommands::ResetPreferences() {
    g_AppSettings.OptionsThumbDispWithPos = 1;
    g_AppSettings.OptionsThumbDispFrame = 1;
    g_Settings.transparentGridSize = 2;
    g_Settings.transparentGridColor = 0;
    g_AppSettings.ColorImageView = 0xC0FFFF;
    g_Settings.animBkColor = 0xFFFFFF;
    g_AppSettings.BrowserPathAutoDetect = 1;
    g_AppSettings.OptionsDlgRenderFrames = 0;
    g_Settings.undoSteps = 10;
    TheUndoHistory().SetSize(10);
    WriteRegInt("Dlgs\\MsgEditor", "ShowNextTime", 1);
    kfm::syscontrols::DeleteSysControlSettings();
    ThePlugInManager().ScanPlugins();
    kfm::shell::InitDefaultFilePaths();
    ::shell().refreshStripView();
    ::shell().redrawViews(1, 1);
}

void FileDialogCommands::ShowPreferences(int page) {
    kfm::dialogs::PreferencesRecord record;
    record.showSplash = g_AppSettings.ShowSplash;
    record.restorePage = page < 0 ? 1 : 0;
    record.renderFrames = g_AppSettings.OptionsDlgRenderFrames;
    record.browserAutoDetect = g_AppSettings.BrowserPathAutoDetect;
    record.undoSteps = g_Settings.undoSteps;
    record.browser1 = QString::fromLocal8Bit(g_AppSettings.BrowserPathIE.c_str());
    record.browser2 = QString::fromLocal8Bit(g_AppSettings.BrowserPathNN.c_str());
    record.browser3 = QString::fromLocal8Bit(g_AppSettings.BrowserPathCustom.c_str());
    record.editorProgram = QString::fromLocal8Bit(g_AppSettings.EditorPath.c_str());

    ProgramPluginFolders plugins;
    kfm::dialogs::PreferencesHooks hooks;
    hooks.resetProgram = &FileDialogCommands::ResetPreferences;
    hooks.plugins = &plugins;
    hooks.chooseFolder = [](QWidget* parent, const QString& title) {
        return QFileDialog::getExistingDirectory(parent, title);
    };
    hooks.chooseProgram = chooseProgram;
    hooks.askYesNo = [](QWidget* parent, const QString& text) {
        return QMessageBox::question(parent, ResourceString(kfm5res::AFX_IDS_APP_TITLE), text,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    hooks.warn = [](QWidget* parent, const QString& text) {
        QMessageBox::warning(parent, ResourceString(kfm5res::AFX_IDS_APP_TITLE), text);
    };
    kfm::dialogs::CPreferences sheet(&frame_, std::max(page, 0), &record, std::move(hooks));
    const bool accepted = sheet.exec() == QDialog::Accepted;
    // The host's filter list is built anew at the next opening of the plug-in menu.
    frame_.ReleasePluginHost();
    if (!accepted)
        return;
    g_AppSettings.ShowSplash = record.showSplash;
    g_AppSettings.OptionsDlgRenderFrames = record.renderFrames;
    g_AppSettings.BrowserPathAutoDetect = record.browserAutoDetect;
    g_Settings.undoSteps = record.undoSteps;
    g_AppSettings.BrowserPathIE = record.browser1.toLocal8Bit().toStdString();
    g_AppSettings.BrowserPathNN = record.browser2.toLocal8Bit().toStdString();
    g_AppSettings.BrowserPathCustom = record.browser3.toLocal8Bit().toStdString();
    g_AppSettings.EditorPath = record.editorProgram.toLocal8Bit().toStdString();
    TheUndoHistory().SetSize(record.undoSteps);
    ::shell().refreshStripView();
    ::shell().redrawViews(1, 1);
}

} // namespace kfm::ui
