#include "MainFrame.h"

#include "AppSettings.h"
#include "FlimmerApp.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "ProgramState.h"
#include "ResourceAccess.h"
#include "ResourceWidgets.h"
#include "ShellServices.h"
#include "StartupValues.h"
#include "ToolbarLayout.h"
#include "UndoHistory.h"
#include "UpdateCheck.h"
#include "WindowPlacement.h"
#include "about/SplashWnd.h"
#include "commands/ArrangeCommands.h"
#include "commands/EditCommands.h"
#include "commands/FileCommands.h"
#include "commands/FileDialogCommands.h"
#include "commands/FrameCommands.h"
#include "commands/FrameDialogCommands.h"
#include "commands/ObjectCommands.h"
#include "commands/OptimizeCommands.h"
#include "commands/ToolCommands.h"
#include "commands/ViewCommands.h"
#include "extedit/DesktopEntry.h"
#include "extedit/DesktopToolSearch.h"
#include "extedit/ExternalEdits.h"
#include "plugins/PlugInManager.h"
#include "plugins/PluginCommands.h"
#include "registry/RegistryHelpers.h"
#include "sheet/GIFSheet.h"
#include "toolbars/ToolBarEx.h"
#include "views/AnimationView.h"
#include "views/ImageView.h"
#include "views/MainPanes.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>

#include <filesystem>

namespace kfm::ui {

using namespace kfm5res;

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kBarStateSection = "Toolbars\\Toolbar";
constexpr const char* kPlacementSection = "Windows";
constexpr const char* kPlacementName = "Main";
// The buttons of the standard toolbar that show the outside programs' icons: Edit Object (the
// bitmap editor) and the browser preview.
constexpr int kEditorButton = 23;
constexpr int kBrowserButton = 27;
// The top-level index of the plug-in menu in the main menu.
constexpr int kPluginMenuIndex = 6;

struct BarResource {
    UINT barId;
    UINT toolbarId;
    UINT captionId;
};

constexpr std::array<BarResource, CMainFrame::BarCount> kBars = {{
    {ID_TOOLBAR_STANDARD, kToolbarStandard, IDS_TOOLBAR_STANDARD},
    {ID_TOOLBAR_ANIMATION, kToolbarAnimation, IDS_TOOLBAR_ANIMATION},
    {ID_TOOLBAR_FRAMES, kToolbarFrames, IDS_TOOLBAR_FRAMES},
}};

RECT toRect(const QRect& r) {
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect toQRect(const RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

std::vector<RECT> screenRects() {
    std::vector<RECT> rects;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        rects.push_back(toRect(primary->availableGeometry()));
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            rects.push_back(toRect(screen->availableGeometry()));
    return rects;
}

} // namespace

CMainFrame::CMainFrame(CFlimmerApp& app) : app_(app) {
    setObjectName(QStringLiteral("MainFrame"));
    panes_ = std::make_unique<MainPanes>(*this, app);
    extEdits_ = std::make_unique<kfm::extedit::ExternalEdits>(
        *this, kfm::extedit::ExternalEdits::Hooks{[this] {
                                                      if (g_bPreviewPlaying)
                                                          Router().Execute(ID_STOP_PREVIEW);
                                                  },
                                                  [this] {
                                                      ::shell().refreshStripView();
                                                      ::shell().redrawViews(1, 1);
                                                      if (CGIFSheet* sheet = panes_->Sheet()) {
                                                          sheet->UpdateFramePage(GetCurrentFrame());
                                                          sheet->UpdateAnimationPage();
                                                      }
                                                  }});
    handlers_.push_back(std::make_unique<FileCommands>(*this, app_));
    handlers_.push_back(std::make_unique<EditCommands>(*this));
    handlers_.push_back(std::make_unique<FrameCommands>(*this));
    // After the frame commands: it takes over the object commands it builds.
    handlers_.push_back(std::make_unique<ObjectCommands>(*this));
    handlers_.push_back(std::make_unique<OptimizeCommands>(*this));
    handlers_.push_back(std::make_unique<ArrangeCommands>(*this));
    // After the frame commands: it takes over the commands whose dialogs it runs.
    handlers_.push_back(std::make_unique<FrameDialogCommands>(*this));
    handlers_.push_back(std::make_unique<ViewCommands>(*this));
    handlers_.push_back(std::make_unique<ToolCommands>(*this));
    // After the file and view commands: it takes over the ids of its dialogs.
    handlers_.push_back(std::make_unique<FileDialogCommands>(*this, app_));
    auto plugins = std::make_unique<PluginCommands>(*this);
    plugins_ = plugins.get();
    handlers_.push_back(std::move(plugins));
    for (const auto& handler : handlers_)
        handler->RouteCommands(Router());
    if (kfm::shell::g_AppSettings.FirstRun) {
        ThePlugInManager().ScanPlugins();
        kfm::shell::InitDefaultFilePaths();
        kfm::shell::g_AppSettings.FirstRun = 0;
    }
}

CMainFrame::~CMainFrame() {
    if (status_ && status_->ProgressActive())
        status_->EndProgress();
    ReleasePluginHost();
    desktopTools_.reset();
    extEdits_.reset();
    // The panes go before the router and the handlers they call.
    const std::unique_ptr<QWidget> panes(takeCentralWidget());
}

bool CMainFrame::OnCreate() {
    if (!LoadMenuBar(menuBar(), kMainMenu, Router()) ||
        !LoadAccelerators(kMainAccelerators, Router()))
        return false;
    const QList<QAction*> menus = menuBar()->actions();
    for (int index = 0; index < menus.size(); ++index)
        if (QMenu* menu = menus[index]->menu())
            connect(menu, &QMenu::aboutToShow, this,
                    [this, menu, index] { OnInitMenuPopup(menu, index); });
    createToolBars();
    for (QToolBar* bar : bars_)
        if (!bar)
            return false;
    // The desktop's tools answer slowly: the window shows meanwhile.
    desktopTools_ =
        std::make_unique<kfm::extedit::DesktopToolSearch>([this] { desktopToolsFound(); });
    UpdateExternalToolIcons(kfm::shell::g_AppSettings.BrowserPathCustom, kBrowserButton);
    UpdateExternalToolIcons(kfm::shell::g_AppSettings.EditorPath, kEditorButton);
    dockToolBarsInOneRow();
    status_ = std::make_unique<StatusPanel>(statusBar());
    statusBar()->setObjectName(QStringLiteral("ID_%1").arg(ID_STATUS_BAR));
    panes_->Create();
    if (ReadRegInt(kSettings, "ToolbarsVersion", 0, 0, 100) == 1)
        LoadBarState(this, kBarStateSection);
    Router().WatchApplicationInput();
    connect(&Router(), &CommandRouter::idle, this, [this] { updateIndicators(); });
    Router().RequestIdleUpdate();
    CSplashWnd::ShowSplashScreen(this);
    return true;
}

void CMainFrame::createToolBars() {
    for (int i = 0; i < BarCount; ++i) {
        auto* bar =
            new CMainToolBar(ResourceString(kBars[i].captionId), this, kBars[i].barId, Router());
        bar->setObjectName(QStringLiteral("ID_%1").arg(kBars[i].barId));
        bar->setAllowedAreas(Qt::AllToolBarAreas);
        if (!LoadToolBar(bar, kBars[i].toolbarId, Router())) {
            delete bar;
            continue;
        }
        // The bar's own toggle goes through the View commands instead.
        bar->toggleViewAction()->setVisible(false);
        bars_[i] = bar;
    }
}

void CMainFrame::dockToolBarsInOneRow() {
    for (QToolBar* bar : bars_)
        addToolBar(Qt::TopToolBarArea, bar);
}

void CMainFrame::WaitForDesktopTools() {
    if (desktopTools_ && desktopTools_->finish())
        desktopToolsFound();
}

void CMainFrame::desktopToolsFound() {
    UpdateExternalToolIcons(kfm::shell::g_AppSettings.EditorPath, kEditorButton);
    Router().RequestIdleUpdate();
}

void CMainFrame::UpdateExternalToolIcons(const std::string& programPath, int buttonIndex) {
    const std::vector<std::string> parts = kfm::extedit::ProgramAndArguments(programPath);
    if (parts.empty() || !bars_[Standard])
        return;
    const QString program = QString::fromStdString(parts.front());
    const QString found = program.contains('/') ? program : QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return;
    const QIcon icon = QFileIconProvider().icon(QFileInfo(found));
    if (icon.isNull())
        return;
    int index = 0;
    for (QAction* action : bars_[Standard]->actions()) {
        if (action->isSeparator())
            continue;
        if (index++ == buttonIndex) {
            action->setIcon(icon);
            return;
        }
    }
}

kfm::shell::UiState CMainFrame::UiSnapshot() const {
    kfm::shell::UiState state = kfm::shell::SnapshotModelState(GetActiveDocument() != nullptr);
    state.previewing = g_bPreviewPlaying != 0;
    state.editingName = labelEditing;
    if (const CImageView* canvas = panes_->Canvas()) {
        state.viewsExist = true;
        state.zoom = canvas->GetZoom();
        state.stacked = panes_->ToggleBar()->IsStacked();
        state.thumbnailId = panes_->ThumbnailId();
        state.playing = canvas->IsPlaying();
        state.fill = canvas->IsFilling();
        state.playerFrame = canvas->GetPreviewCurrentFrame();
        state.playerFrameCount = canvas->GetPreviewFrameCount();
    }
    state.standardToolbarVisible = bars_[Standard] && !bars_[Standard]->isHidden();
    state.animationToolbarVisible = bars_[Animation] && !bars_[Animation]->isHidden();
    state.framesToolbarVisible = bars_[Frames] && !bars_[Frames]->isHidden();
    state.statusBarVisible = !statusBar()->isHidden();
    state.recentFileCount = app_.RecentFiles().Count();
    // GIF details read the document's file.
    if (const CGIFAnimDoc* document = app_.Document()) {
        std::error_code error;
        const std::string& path = document->GetPathName();
        state.documentFileExists = !path.empty() && std::filesystem::is_regular_file(path, error);
    }
    state.networkLayer = kfm::update::LoadWinInet() != 0;
    return state;
}

void CMainFrame::updateIndicators() {
    if (status_)
        status_->SetFrameCounter(QString::fromStdString(
            kfm::shell::FrameCounterText(UiSnapshot(), ResourceText(IDS_FRAME_COUNTER_EMPTY))));
}

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PROGRESS_BEGIN:
        status_->BeginProgress(static_cast<UINT>(wParam), static_cast<int>(lParam));
        return 0;
    case WM_PROGRESS_STEP:
        status_->StepProgress(wParam);
        return 0;
    case WM_PROGRESS_END:
        status_->EndProgress();
        return 0;
    case WM_TIMER:
        if (wParam == kfm::extedit::kExtEditTimerId)
            extEdits_->CheckExtEditFiles();
        return 0;
    case kfm::extedit::WM_END_EXT_EDIT:
        extEdits_->OnEndExtEditSession(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    default:
        return 0;
    }
}

void CMainFrame::LoadPlacement() {
    const std::vector<RECT> screens = screenRects();
    const RECT primary = screens.empty() ? RECT{0, 0, 1024, 768} : screens.front();
    kfm::shell::WindowPlacementValues current;
    current.normal = toRect(normalGeometry());
    const auto placement = kfm::shell::ReadWindowPlacement(kPlacementSection, kPlacementName,
                                                           primary.right - primary.left,
                                                           primary.bottom - primary.top, current);
    const RECT normal = kfm::shell::FitRectToScreens(placement.normal, screens);
    setGeometry(toQRect(normal));
    if (kfm::shell::ShowAsFor(placement.showCommand) == kfm::shell::ShowAs::Maximized)
        showMaximized();
    else
        showNormal();
}

void CMainFrame::SavePlacement() {
    kfm::shell::WindowPlacementValues placement;
    placement.showCommand =
        isMaximized() ? kfm::shell::SW_SHOWMAXIMIZED : kfm::shell::SW_SHOWNORMAL;
    placement.normal = toRect(isMaximized() ? normalGeometry() : geometry());
    kfm::shell::WriteWindowPlacement(kPlacementSection, kPlacementName, placement);
}

bool CMainFrame::OnClose() {
    if (g_bPreviewPlaying)
        Router().Execute(ID_STOP_PREVIEW);
    panes_->SaveLayout();
    WriteRegInt(kSettings, "ToolbarsVersion", 1);
    SaveBarState(this, kBarStateSection);
    SavePlacement();
    if (!CFrameWnd::OnClose())
        return false;
    extEdits_->DeleteExternalEditFiles();
    return true;
}

void CMainFrame::OnDocumentSaved() {
    if (const CDocument* document = GetActiveDocument())
        app_.AddToRecentFileList(document->GetPathName());
    OnUpdateFrameTitle();
}

bool CMainFrame::event(QEvent* event) {
    // Prompts of menus and buttons never overwrite a progress display.
    if (event->type() == QEvent::StatusTip && status_ && status_->ProgressActive())
        return true;
    return CFrameWnd::event(event);
}

void CMainFrame::OnInitMenuPopup(QMenu* menu, int index) {
    const std::string undo = TheUndoHistory().GetUndoMenuText();
    Router().Action(ID_EDIT_UNDO)->setText(FromCodePage1252(undo.substr(0, undo.find('\t'))));
    if (index == kPluginMenuIndex)
        plugins_->FillPluginMenu(menu);
}

int CMainFrame::RunPlugin(const std::string& path) {
    return plugins_->RunPlugin(path);
}

void CMainFrame::OnPluginCommand(UINT id) {
    plugins_->OnPluginCommand(id);
}

void CMainFrame::RunHostFilter(UINT id) {
    plugins_->RunHostFilter(id);
}

void CMainFrame::ReleasePluginHost() {
    if (plugins_)
        plugins_->ReleasePluginHost();
}

QWidget* CMainFrame::GetPaneView(int n) const {
    return panes_ ? panes_->GetPaneView(n) : nullptr;
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    CFrameWnd::resizeEvent(event);
    if (!g_bStartingUp)
        panes_->OnFrameResized();
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    // Esc ends the animation preview.
    if (event->key() == Qt::Key_Escape && g_bPreviewPlaying)
        Router().Execute(ID_VIEW_PREVIEW);
    CFrameWnd::keyPressEvent(event);
}

} // namespace kfm::ui
