#pragma once
// One frame handed to an outside bitmap editor: which frame, the editor and the temporary BMP
// file it works on, the editor's process while it runs, the picture written, and the file's
// times as last seen. The animation record keeps these in its list of external edits.

#include <QDateTime>
#include <QProcess>

#include <filesystem>
#include <memory>
#include <string>

#include "AnimationData.h"

namespace kfm::extedit {

// The outside editor's process. Letting go of it leaves the editor running: the user's work
// there is theirs, whatever happens to the edit here.
class EditorProcess : public QProcess {
public:
    using QProcess::QProcess;
    ~EditorProcess() override;
};

class CExtEditSession : public ::CExtEditSession {
public:
    int frameId = -1;
    int frameNumber = -1;
    std::string editorPath;
    std::string filePath;
    // Null until started, and again once the editor has ended.
    std::unique_ptr<EditorProcess> process;
    qint64 processId = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int noticeOpen = 0;
    QDateTime creationTime;
    std::filesystem::file_time_type lastWriteTime{};
    QDateTime lastAccessTime;

    // The ".tmp" file made with the name (the picture is the same name with ".bmp").
    std::string TemporaryFile() const;
};

} // namespace kfm::extedit
