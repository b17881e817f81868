#include "FileDialog.h"

#include "FileDialogFilters.h"
#include "ResourceAccess.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace kfm::ui {

namespace {

QStringList qtFilters(const std::string& filter) {
    QStringList list;
    for (const std::string& f : kfm::shell::ConvertFileFilter(filter))
        list << FromCodePage1252(f);
    return list;
}

std::string folderOf(const QString& path) {
    QString folder = QFileInfo(path).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder.toStdString();
}

} // namespace

int DoFileDialog(QWidget* parent, FileDialogRequest& request, int* multiSelect,
                 std::vector<std::string>* chosen) {
    const bool several = multiSelect && *multiSelect;
    QFileDialog dialog(parent, FromCodePage1252(request.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open
                           ? (several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile)
                           : QFileDialog::AnyFile);
    const QStringList filters = qtFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.filterIndex, 1, static_cast<int>(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    const std::string suffix = kfm::shell::DefaultSuffixOf(request.defaultExtension);
    if (!suffix.empty())
        dialog.setDefaultSuffix(QString::fromStdString(suffix));
    const QString folder = QString::fromStdString(request.folder);
    if (!folder.isEmpty() && QDir(folder).exists())
        dialog.setDirectory(folder);
    if (!request.file.empty())
        dialog.selectFile(QString::fromStdString(request.file));
    if (dialog.exec() != QDialog::Accepted)
        return IDCANCEL;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return IDCANCEL;
    if (!filters.isEmpty())
        request.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    request.file = files.front().toStdString();
    request.folder = folderOf(files.front());
    if (several && files.size() == 1)
        *multiSelect = 0;
    if (chosen) {
        chosen->clear();
        for (const QString& f : files)
            chosen->push_back(f.toStdString());
    }
    return IDOK;
}

} // namespace kfm::ui
