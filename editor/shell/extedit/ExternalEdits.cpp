#include "ExternalEdits.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "DesktopEntry.h"
#include "EdgeLocks.h"
#include "Kfm5ResourceIds.h"
#include "MessageTarget.h"
#include "ResourceAccess.h"
#include "TempFileName.h"
#include "UndoHistory.h"
#include "registry/RegistryHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>
#include <system_error>

namespace kfm::extedit {

namespace {

constexpr std::int32_t kFormatBmp = 40;

namespace fs = std::filesystem;

std::vector<std::unique_ptr<::CExtEditSession>>* sessionList() {
    return g_pAnimationData ? &g_pAnimationData->tempFiles : nullptr;
}

std::string withExtension(const std::string& path, const char* extension) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? path.substr(0, dot)
                                 : path;
    return stem + extension;
}

void removeFile(const std::string& path) {
    std::error_code error;
    if (!path.empty())
        fs::remove(path, error);
}

QString formatted(UINT id, const std::string& path) {
    QString text = QString::fromStdString(kfm::ui::ResourceText(id));
    return text.replace(QStringLiteral("%s"), QString::fromStdString(path));
}

bool noteTimes(CExtEditSession& session) {
    std::error_code error;
    const auto written = fs::last_write_time(session.filePath, error);
    if (error)
        return false;
    const QFileInfo info(QString::fromStdString(session.filePath));
    session.lastWriteTime = written;
    session.creationTime = info.birthTime();
    session.lastAccessTime = info.lastRead();
    return true;
}

// Gives the loaded picture the frame's transparency: its colour list, or for graded
// transparency a copy of its transparency image.
void copyTransparency(KpxHandle loaded, const CObjFrame& frame) {
    const KpxHandle image = frame.GetImage();
    if (!frame.softAlpha) {
        int count = 0;
        const KpxTransparentEntry* entries = KPXGetImageTransparentData(image, &count);
        KPXSetImageTransparent(loaded, entries, entries ? count : 0);
        return;
    }
    if (const KpxHandle ex = KPXGetImageTransparentImageEx(image))
        if (const KpxHandle copy = KPXCreateImageFrom(ex, 0))
            if (!KPXSetImageTransparentEx(loaded, copy))
                KPXDeleteImage(copy);
}

} // namespace

EditorProcess::~EditorProcess() {
    // Closing the pipes without ending the editor: it was started with forwarded channels, so
    // it writes nowhere we read, and it outlives this object.
    if (state() != QProcess::NotRunning)
        setProcessState(QProcess::NotRunning);
}

std::string CExtEditSession::TemporaryFile() const {
    return withExtension(filePath, ".tmp");
}

bool LaunchExternalEditor(QObject* owner, CExtEditSession& session, const std::string& editorPath,
                          const std::string& filePath) {
    const std::vector<std::string> parts = ProgramAndArguments(editorPath);
    if (parts.empty())
        return false;
    const QString program = QString::fromStdString(parts.front());
    const QString found = program.contains('/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(found);
    if (found.isEmpty() || !info.isFile() || !info.isExecutable())
        return false;
    QStringList arguments;
    for (std::size_t i = 1; i < parts.size(); ++i)
        arguments << QString::fromStdString(parts[i]);
    arguments << QString::fromStdString(filePath);
    auto process = std::make_unique<EditorProcess>();
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    process->start(found, arguments);
    // Only the start itself is awaited (the exec, which succeeds or fails at once), never the
    // editor's work or its first idle moment.
    if (!process->waitForStarted(-1))
        return false;
    const int frameId = session.frameId;
    QObject::connect(process.get(), &QProcess::finished, owner, [frameId] {
        if (const auto* list = sessionList())
            for (const auto& entry : *list)
                if (auto* s = static_cast<CExtEditSession*>(entry.get()); s->frameId == frameId)
                    if (s->process && s->process->state() == QProcess::NotRunning)
                        s->process.release()->deleteLater();
    });
    session.processId = process->processId();
    session.process = std::move(process);
    return true;
}

ExternalEdits::ExternalEdits(QWidget& mainWindow, Hooks hooks)
    : mainWindow_(mainWindow), hooks_(std::move(hooks)), notices_(MakeDialogNotices()) {}

ExternalEdits::~ExternalEdits() {
    DeleteExternalEditFiles();
}

std::vector<CExtEditSession*> ExternalEdits::Sessions() const {
    std::vector<CExtEditSession*> sessions;
    if (const auto* list = sessionList())
        for (const auto& entry : *list)
            sessions.push_back(static_cast<CExtEditSession*>(entry.get()));
    return sessions;
}

CExtEditSession* ExternalEdits::Find(int frameId) const {
    for (CExtEditSession* session : Sessions())
        if (session->frameId == frameId)
            return session;
    return nullptr;
}

bool ExternalEdits::StartExtEditSession(KpxHandle image, int frameId, int frameNumber) {
    auto* list = sessionList();
    if (!list)
        return false;
    if (Find(frameId)) {
        const int showNextTime = ReadRegInt(kMsgEditorSection, "ShowNextTime", 1, 0, 0);
        if (showNextTime != 0) {
            const ExtEditNotices::Answer answer = notices_->AskBeforeRestart(&mainWindow_, true);
            WriteRegInt(kMsgEditorSection, "ShowNextTime", answer.checked ? 1 : 0);
            if (!answer.ok)
                return false;
        }
        OnEndExtEditSession(frameId, 1);
    }
    if (!image || frameId < 0)
        return false;
    auto session = std::make_unique<CExtEditSession>();
    session->frameId = frameId;
    session->frameNumber = frameNumber;
    session->editorPath = kfm::shell::g_AppSettings.EditorPath;
    const std::string temporary = kfm::shell::MakeTemporaryFile("kfm");
    session->filePath = temporary.empty() ? std::string() : withExtension(temporary, ".bmp");
    // A picture that cannot be written would start the editor on a missing file.
    if (temporary.empty() ||
        KPXSaveImage(image, session->filePath.c_str(), kFormatBmp, 1, 70, nullptr) != 1 ||
        !noteTimes(*session)) {
        removeFile(session->filePath);
        removeFile(temporary);
        notices_->Inform(&mainWindow_,
                         formatted(kfm5res::IDS_EDITOR_FILE_NOT_WRITTEN, session->filePath));
        return false;
    }
    session->width = KPXWidth(image);
    session->height = KPXHeight(image);
    session->bitsPerPixel = KPXbpp(image);
    if (!LaunchExternalEditor(this, *session, session->editorPath, session->filePath)) {
        removeFile(session->filePath);
        removeFile(temporary);
        notices_->Inform(&mainWindow_,
                         formatted(kfm5res::IDS_EDITOR_START_FAILED, session->filePath));
        return false;
    }
    if (!watcher_)
        startWatcher();
    watch(session->filePath);
    list->push_back(std::move(session));
    return true;
}

void ExternalEdits::startWatcher() {
    watcher_ = std::make_unique<QFileSystemWatcher>();
    const auto post = [this] {
        kfm::ui::PostMessageTo(&mainWindow_, WM_TIMER, kExtEditTimerId, 0);
    };
    connect(watcher_.get(), &QFileSystemWatcher::directoryChanged, this, post);
    connect(watcher_.get(), &QFileSystemWatcher::fileChanged, this,
            [this, post](const QString& path) {
                // An editor that saves by replacing the file ends the watch of the old one.
                watch(path.toStdString());
                post();
            });
    watcher_->addPath(QString::fromStdString(kfm::shell::TemporaryFolder()));
}

void ExternalEdits::watch(const std::string& path) {
    if (watcher_ && QFileInfo::exists(QString::fromStdString(path)) &&
        !watcher_->files().contains(QString::fromStdString(path)))
        watcher_->addPath(QString::fromStdString(path));
}

void ExternalEdits::stopWatcher() {
    watcher_.reset();
}

void ExternalEdits::raiseMainWindow() {
    mainWindow_.raise();
    mainWindow_.activateWindow();
}

void ExternalEdits::CheckExtEditFiles() {
    if (Sessions().empty())
        return;
    if (hooks_.stopPreview)
        hooks_.stopPreview();
    // By frame id: a notice's own event loop may end edits meanwhile.
    std::vector<int> ids;
    for (const CExtEditSession* session : Sessions())
        ids.push_back(session->frameId);
    for (const int id : ids) {
        CExtEditSession* session = Find(id);
        if (!session)
            continue;
        std::error_code error;
        const auto written = fs::last_write_time(session->filePath, error);
        if (error || written == session->lastWriteTime)
            continue;
        noteTimes(*session);
        raiseMainWindow();
        if (session->noticeOpen)
            continue;
        session->noticeOpen = 1;
        const ExtEditNotices::Answer answer =
            notices_->AskTakeChanges(&mainWindow_, session->frameNumber);
        session = Find(id);
        if (!session)
            continue;
        session->noticeOpen = 0;
        if (answer.ok)
            takeChanges(*session);
        if (answer.checked)
            OnEndExtEditSession(id, 0);
    }
}

void ExternalEdits::takeChanges(const CExtEditSession& session) {
    if (!g_pAnimationData)
        return;
    const KpxHandle loaded = KPXLoadImage(nullptr, session.filePath.c_str(), nullptr);
    if (!loaded)
        return;
    bool taken = false;
    for (CObjFrame& frame : g_pAnimationData->frames) {
        if (frame.GetID() != session.frameId || !frame.GetImage())
            continue;
        const KpxHandle picture = taken ? KPXCreateImageFrom(loaded, 0) : loaded;
        if (!picture)
            continue;
        copyTransparency(picture, frame);
        const int width = KPXWidth(picture);
        const int height = KPXHeight(picture);
        const RECT moved{frame.left, frame.top, frame.left + width, frame.top + height};
        if (KPXCompareImages(picture, frame.GetImage()) || !CheckEdgeLocks(nullptr, &moved)) {
            if (picture != loaded)
                KPXDeleteImage(picture);
            continue;
        }
        CUndoHistory& undo = TheUndoHistory();
        undo.BeginStep(kUndoKindEditObject);
        if (const KpxHandle old = frame.SetImage(picture))
            KPXDeleteImage(old);
        frame.width = width;
        frame.height = height;
        frame.PutFrameInfo(0);
        undo.EndStep(0);
        taken = true;
    }
    if (!taken) {
        KPXDeleteImage(loaded);
        return;
    }
    if (hooks_.refreshViews)
        hooks_.refreshViews();
}

void ExternalEdits::OnEndExtEditSession(int frameId, int keepWatcher) {
    if (auto* list = sessionList()) {
        const auto found = std::find_if(list->begin(), list->end(), [frameId](const auto& entry) {
            return static_cast<const CExtEditSession*>(entry.get())->frameId == frameId;
        });
        if (found != list->end()) {
            const auto* session = static_cast<const CExtEditSession*>(found->get());
            if (watcher_)
                watcher_->removePath(QString::fromStdString(session->filePath));
            removeFile(session->filePath);
            removeFile(session->TemporaryFile());
            list->erase(found);
        }
    }
    if (!keepWatcher && Sessions().empty() && watcher_)
        stopWatcher();
}

void ExternalEdits::DeleteExternalEditFiles() {
    for (const CExtEditSession* session : Sessions()) {
        removeFile(session->filePath);
        removeFile(session->TemporaryFile());
    }
}

} // namespace kfm::extedit
