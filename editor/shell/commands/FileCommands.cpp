#include "FileCommands.h"

#include "AnimationData.h"
#include "FileDialog.h"
#include "FlimmerApp.h"
#include "GIFAnimDoc.h"
#include "ImportFiles.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "ProgramState.h"
#include "ResourceAccess.h"
#include "UndoHistory.h"
#include "registry/RegistryHelpers.h"
#include "shell/Process.h"
#include "views/AnimationView.h"
#include "views/MainPanes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace kfm::ui {

using namespace kfm5res;

void FileCommands::RouteCommands(CommandRouter& router) {
    route(router, {ID_FILE_NEW}, [this](UINT) { app_.OnFileNew(); });
    route(router, {ID_FILE_OPEN}, [this](UINT) { app_.OnFileOpen(); });
    route(router, {ID_FILE_SAVE}, [this](UINT) { app_.OnFileSave(); });
    route(router, {ID_FILE_SAVE_AS}, [this](UINT) { app_.OnFileSaveAs(); });
    route(router, {ID_APP_EXIT}, [this](UINT) { frame_.close(); });
    const UINT lastRecent = ID_FILE_MRU_FILE1 + static_cast<UINT>(app_.RecentFiles().Size()) - 1;
    routeRange(router, ID_FILE_MRU_FILE1, lastRecent,
               [this](UINT id) { app_.OpenRecentFile(static_cast<int>(id - ID_FILE_MRU_FILE1)); });
    routeWaiting(router, {ID_FILE_NEW_ANIMATION, ID_FILE_GIF_DETAILS, ID_FILE_PRINT_OPTIONS});
    route(router, {ID_FILE_IMPORT}, [this](UINT) { importFiles(false); });
    route(router, {ID_FILE_INSERT_VECTOR}, [this](UINT) { importFiles(true); });
    route(router, {ID_FILE_SAVE_FRAME}, [this](UINT) { saveSelectedFrame(); });
    route(router, {ID_FILE_REVERT}, [this](UINT) { revert(); });
    route(router, {ID_FILE_SEND_MAIL}, [this](UINT) { sendMail(); });
    // Printing is the frame strip's.
    route(router, {ID_FILE_PRINT}, [this](UINT) {
        if (CAnimationView* strip = frame_.Panes().Strip())
            strip->Print();
    });
    // The recent files are listed afresh at every idle pass.
    QObject::connect(&router, &CommandRouter::idle, &router,
                     [this, &router] { updateRecentFileItems(router); });
}

namespace {

CGIFAnimDoc* activeDocument(CMainFrame& frame) {
    return dynamic_cast<CGIFAnimDoc*>(frame.GetActiveDocument());
}

// The remembered state and the texts of the two import dialogs.
struct ImportDialog {
    const char* section;
    int defaultFilter;
    UINT title;
    std::vector<UINT> filters;
    const char* defaultExtension;
    int undoKind;
};

const ImportDialog kImportDialog{"Dlgs\\FileImportExport",
                                 1,
                                 IDS_TITLE_IMPORT,
                                 {IDS_FILTER_GIF, IDS_FILTER_PICTURES, IDS_FILTER_ALL_FILES},
                                 "*.gif",
                                 kUndoKindImport};
const ImportDialog kInsertVectorDialog{"Dlgs\\FileInsertVector",
                                       3,
                                       IDS_TITLE_OPEN,
                                       {IDS_FILTER_VECTOR, IDS_FILTER_ALL_FILES},
                                       "*.wmf|*.emf",
                                       kUndoKindInsertVector};

// Save mode 2 with an image for as long as it lives; mode 1 and no image again on every way out.
class ExportModeScope {
public:
    explicit ExportModeScope(std::uint16_t image) {
        g_nSaveMode = 2;
        g_hExportImage = static_cast<std::int16_t>(image);
    }
    ~ExportModeScope() {
        g_hExportImage = 0;
        g_nSaveMode = 1;
    }
    ExportModeScope(const ExportModeScope&) = delete;
    ExportModeScope& operator=(const ExportModeScope&) = delete;
};

// Whether the file reads as frames at all, tried on a list of its own.
bool fileOpens(CGIFAnimDoc& document, const std::string& path) {
    FrameList trial;
    AnimateInfo info{};
    const int result = document.ImportFile(path.c_str(), trial, &info);
    std::free(info.comment);
    return result == kImportDone && !trial.empty();
}

// A folder of this process for the copies handed to the mail program (they must outlive the
// command, since the mail program reads them later).
std::string mailCopyPath(const CGIFAnimDoc& document) {
    const QString folder = QDir::temp().filePath(
        QStringLiteral("kfm5-mail-%1").arg(QCoreApplication::applicationPid()));
    QDir().mkpath(folder);
    QString name = QFileInfo(QString::fromStdString(document.GetPathName())).fileName();
    if (name.isEmpty())
        name = QStringLiteral("animation.gif");
    return QDir(folder).filePath(name).toStdString();
}

} // namespace

void FileCommands::importFiles(bool vector) {
    CGIFAnimDoc* document = activeDocument(frame_);
    if (!document)
        return;
    const ImportDialog& dialog = vector ? kInsertVectorDialog : kImportDialog;
    FileDialogRequest request;
    request.folder = ReadRegString(dialog.section, "OpenInitPath", "");
    request.filterIndex = ReadRegInt(dialog.section, "OpenFilter", dialog.defaultFilter, 0, 0);
    request.open = true;
    request.title = ResourceText(dialog.title);
    for (const UINT filter : dialog.filters)
        request.filter += ResourceText(filter);
    request.defaultExtension = dialog.defaultExtension;
    int multiple = 1;
    std::vector<std::string> chosen;
    if (DoFileDialog(&frame_, request, &multiple, &chosen) != IDOK)
        return;
    WriteRegString(dialog.section, "OpenInitPath", request.folder.c_str());
    WriteRegInt(dialog.section, "OpenFilter", request.filterIndex);
    if (!multiple || chosen.empty())
        chosen = {request.file};
    if (ImportFiles(*document, chosen, dialog.undoKind) > 0)
        RefreshAfterEdit(kRebuildStrip | kCanvas | kAnimationPage | kFramePage |
                         kOptimiserControls);
}

void FileCommands::saveSelectedFrame() {
    if (!g_pAnimationData)
        return;
    const ExportModeScope exporting(GetFirstSelFrameImage());
    app_.OnFileSaveAs();
}

void FileCommands::revert() {
    CGIFAnimDoc* document = activeDocument(frame_);
    if (!document)
        return;
    const std::string path = document->GetPathName();
    if (path.empty() || !document->IsModified())
        return;
    if (ShellMessageBoxFormatted(IDS_QUESTION_REVERT, MB_YESNO_ | MB_ICONQUESTION_, {path}) !=
        IDYES_)
        return;
    // The animation is dropped only once the file is known to open again.
    if (!fileOpens(*document, path)) {
        ShellMessageBoxFormatted(IDS_REVERT_FAILED, MB_OK_ | MB_ICONEXCLAMATION_, {path});
        return;
    }
    document->SetModifiedFlag(FALSE);
    app_.OpenDocumentFile(path);
}

void FileCommands::sendMail() {
    CGIFAnimDoc* document = activeDocument(frame_);
    if (!document)
        return;
    if (document->GetPathName().empty() && !document->DoSave(nullptr, TRUE))
        return;
    if (document->IsModified() &&
        ShellMessageBox(IDS_QUESTION_MAIL_MODIFIED, MB_OKCANCEL_ | MB_DEFBUTTON2_) != IDOK)
        return;
    const std::string copy = mailCopyPath(*document);
    const BOOL modified = document->IsModified();
    document->m_bSendingMail = 1;
    const BOOL saved = document->OnSaveDocument(copy.c_str());
    document->m_bSendingMail = 0;
    document->SetModifiedFlag(modified);
    if (saved != TRUE)
        return;
    if (!kfm::shell::startDetached("xdg-email", {"--attach", copy}))
        ShellMessageBoxFormatted(IDS_PROGRAM_START_FAILED, MB_OK_ | MB_ICONEXCLAMATION_,
                                 {"xdg-email"});
}

void FileCommands::updateRecentFileItems(CommandRouter& router) {
    const kfm::shell::RecentFileList& list = app_.RecentFiles();
    QAction* first = router.Action(ID_FILE_MRU_FILE1);
    if (placeholderText_.isEmpty())
        placeholderText_ = first->text();
    const auto widgets = first->associatedObjects();
    const std::string folder = QDir::currentPath().toStdString();
    for (int i = 0; i < list.Size(); ++i) {
        QAction* action = router.Action(ID_FILE_MRU_FILE1 + static_cast<UINT>(i));
        const bool present = i < list.Count();
        action->setStatusTip(CommandPrompt(ID_FILE_MRU_FILE1 + static_cast<UINT>(i)));
        if (present)
            action->setText(FromCodePage1252(list.MenuText(i, folder)));
        else if (i == 0)
            action->setText(placeholderText_);
        action->setVisible(present || i == 0);
        // The entries follow the first one in every menu that shows it.
        for (QObject* owner : widgets) {
            auto* menu = qobject_cast<QMenu*>(owner);
            if (!menu || i == 0 || menu->actions().contains(action))
                continue;
            const QList<QAction*> items = menu->actions();
            const qsizetype at = items.indexOf(router.Action(ID_FILE_MRU_FILE1 + i - 1));
            menu->insertAction(at + 1 < items.size() ? items[at + 1] : nullptr, action);
        }
    }
}

} // namespace kfm::ui
