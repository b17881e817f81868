#include "FlimmerApp.h"

#include "AppSettings.h"
#include "CommandLine.h"
#include "DesktopRegistration.h"
#include "DlgUpdateSettings.h"
#include "EditorDialogServices.h"
#include "EditorShellServices.h"
#include "FileDialog.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "ProgramState.h"
#include "ResourceAccess.h"
#include "ShellServices.h"
#include "StartupValues.h"
#include "UpdateCheck.h"
#include "VersionInfo.h"
#include "about/AboutDlg.h"
#include "about/SplashWnd.h"
#include "commands/ToolCommands.h"
#include "registry/RegistryHelpers.h"
#include "resources/LanguageLibrary.h"
#include "resources/ResourceLibrary.h"
#include "shell/Desktop.h"
#include "views/MainPanes.h"

#include <QApplication>
#include <QDate>

namespace {

CFlimmerApp* theApp = nullptr;

constexpr const char* kLanguageBaseName = "KFM5Res";
constexpr const char* kFileDialogSection = "Dlgs\\FileOpenSave";

std::string programPath() {
    char path[4096];
    return GetModuleFileNameA(nullptr, path, sizeof path) ? std::string(path) : std::string();
}

} // namespace

CFlimmerApp* AfxGetApp() {
    return theApp;
}

CFlimmerApp::CFlimmerApp() {
    theApp = this;
}

CFlimmerApp::~CFlimmerApp() {
    frame_.reset();
    setShellServices(nullptr);
    setDialogServices(nullptr);
    document_.reset();
    services_.reset();
    if (resources_) {
        kfm::ui::SetResourceHandle(nullptr);
        FreeLanguageLibrary(resources_);
    }
    if (theApp == this)
        theApp = nullptr;
}

bool CFlimmerApp::InitInstance(const std::vector<std::string>& arguments) {
    // Every text, menu and toolbar comes from the language library; failures end the process.
    LoadLanguageLibrary(kLanguageBaseName, &resources_);
    kfm::ui::SetResourceHandle(resources_);

    kfm::shell::LoadSettings();
    settingsLoaded_ = true;
    networkAvailable_ = kfm::update::LoadWinInet() != 0;

    const kfm::shell::CommandLine commandLine = kfm::shell::ParseCommandLine(arguments);
    kfm::ui::CSplashWnd::EnableSplash(
        kfm::shell::SplashWanted(kfm::shell::g_AppSettings.ShowSplash, commandLine));
    recentFiles_.ReadList();
    document_ = std::make_unique<CGIFAnimDoc>();
    services_ = std::make_unique<kfm::ui::EditorShellServices>(*this);
    setShellServices(services_.get());
    dialogServices_ = std::make_unique<kfm::ui::EditorDialogServices>();
    setDialogServices(dialogServices_.get());
    messageFilter_ = std::make_unique<kfm::ui::CAppMessageFilter>();
    qApp->installEventFilter(messageFilter_.get());
    g_bStartingUp = 1;

    switch (commandLine.action) {
    case kfm::shell::ShellAction::RegisterServer:
        kfm::shell::RegisterDesktopEntry(programPath());
        return false;
    case kfm::shell::ShellAction::UnregisterServer:
        kfm::shell::UnregisterDesktopEntry();
        return false;
    case kfm::shell::ShellAction::None:
        break;
    }
    if (!createMainWindow() || !OnFileNew())
        return false;

    frame_->LoadPlacement();
    // The panes take their sizes once the window has its own.
    frame_->Panes().SetToggleBarSize();
    g_bStartingUp = 0;
    if (!commandLine.fileToOpen.empty())
        openFromCommandLine(commandLine.fileToOpen);

    runUpdateReminder();
    return true;
}

bool CFlimmerApp::createMainWindow() {
    frame_ = std::make_unique<kfm::ui::CMainFrame>(*this);
    if (!frame_->OnCreate())
        return false;
    frame_->SetActiveDocument(document_.get());
    return true;
}

void CFlimmerApp::runUpdateReminder() {
    const QDate today = QDate::currentDate();
    const auto last = kfm::shell::ReadOrStartReminderDate(today.day(), today.month(), today.year());
    const int interval = ReadRegInt(kfm::update::kUpdateSettingsSection, "ReminderInterval",
                                    kfm::update::kDefaultReminderInterval, 0, 0);
    if (networkAvailable_ && kfm::update::DaysElapsed(today.day(), today.month(), today.year(),
                                                      last.day, last.month, last.year, interval))
        kfm::ui::RunUpdateWizard(frame_.get());
}

void CFlimmerApp::openFromCommandLine(const std::string& path) {
    if (OpenDocumentFile(path))
        return;
    // The open has said why (or was cancelled); the user goes on with an empty animation, and
    // nothing of theirs is in the document yet to ask about.
    document_->SetModifiedFlag(FALSE);
    OnFileNew();
}

int CFlimmerApp::ExitInstance() {
    if (settingsLoaded_) {
        if (frame_)
            frame_->WaitForDesktopTools(); // their findings are saved with the rest
        kfm::shell::SaveSettings();
        recentFiles_.WriteList();
        settingsLoaded_ = false;
    }
    kfm::update::FreeWinInet();
    return 0;
}

void CFlimmerApp::afterDocumentChanged() {
    if (!frame_)
        return;
    frame_->Panes().OnDocumentChanged();
    frame_->OnUpdateFrameTitle();
    frame_->update();
    frame_->Router().RequestIdleUpdate();
}

bool CFlimmerApp::OnFileNew() {
    if (frame_ && !frame_->SaveModified())
        return false;
    if (!document_->OnNewDocument())
        return false;
    document_->ResetTitle();
    kfm::shell::ApplyNewDocumentDefaults(document_->m_bKeepSizeOnNew != 0);
    document_->m_bKeepSizeOnNew = 0;
    afterDocumentChanged();
    if (frame_)
        frame_->Panes().OnNewOrOpenedDocument(false);
    return true;
}

void CFlimmerApp::OnFileOpen() {
    if (frame_)
        kfm::ui::SendMessageTo(frame_.get(), WM_COMMAND, kfm5res::ID_STOP_PREVIEW, 0);
    FileDialogRequest request;
    request.folder = ReadRegString(kFileDialogSection, "OpenInitPath", "");
    request.filterIndex = ReadRegInt(kFileDialogSection, "OpenFilter", 1, 0, 0);
    request.open = true;
    request.title = kfm::ui::ResourceText(kfm5res::IDS_TITLE_OPEN);
    request.filter = kfm::ui::ResourceText(kfm5res::IDS_FILTER_GIF) +
                     kfm::ui::ResourceText(kfm5res::IDS_FILTER_PICTURES) +
                     kfm::ui::ResourceText(kfm5res::IDS_FILTER_ALL_FILES);
    request.defaultExtension = "*.gif";
    if (kfm::ui::DoFileDialog(frame_.get(), request) != IDOK)
        return;
    WriteRegString(kFileDialogSection, "OpenInitPath", request.folder.c_str());
    WriteRegInt(kFileDialogSection, "OpenFilter", request.filterIndex);
    OpenDocumentFile(request.file);
}

bool CFlimmerApp::OpenDocumentFile(const std::string& path) {
    if (frame_ && !frame_->SaveModified())
        return false;
    const bool opened = document_->OpenDocumentFile(path.c_str()) != FALSE;
    if (opened)
        AddToRecentFileList(document_->GetPathName());
    else if (document_->m_nContentsOrigin == 1)
        kfm::shell::ApplyNewDocumentDefaults(false);
    afterDocumentChanged();
    if (frame_)
        frame_->Panes().OnNewOrOpenedDocument(opened);
    return opened;
}

bool CFlimmerApp::OnFileSave() {
    const bool saved = document_->OnFileSave() != FALSE;
    if (saved)
        AddToRecentFileList(document_->GetPathName());
    afterDocumentChanged();
    return saved;
}

bool CFlimmerApp::OnFileSaveAs() {
    const bool saved = document_->OnFileSaveAs() != FALSE;
    if (saved)
        AddToRecentFileList(document_->GetPathName());
    afterDocumentChanged();
    return saved;
}

bool CFlimmerApp::OpenRecentFile(int index) {
    const std::string path = recentFiles_.At(index);
    if (path.empty())
        return false;
    // Answering Cancel to the save question keeps the entry; a file that fails to open goes.
    if (frame_ && !frame_->SaveModified())
        return false;
    if (!OpenDocumentFile(path)) {
        recentFiles_.Remove(index);
        return false;
    }
    return true;
}

void CFlimmerApp::AddToRecentFileList(const std::string& path) {
    recentFiles_.Add(path);
}

namespace kfm::ui {

int RunEditor(int argc, char** argv, const RunHooks& hooks) {
    QApplication qtApp(argc, argv);
    kfm::shell::setBeepHandler([](UINT) { QApplication::beep(); });
    std::vector<std::string> arguments;
    const QStringList qtArguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < qtArguments.size(); ++i)
        arguments.push_back(qtArguments[i].toStdString());
    CFlimmerApp app;
    if (!app.InitInstance(arguments))
        return app.ExitInstance();
    if (hooks.afterStart)
        hooks.afterStart(app);
    const int loopResult = QApplication::exec();
    const int exitResult = app.ExitInstance();
    return loopResult ? loopResult : exitResult;
}

} // namespace kfm::ui
