#include "TempFileName.h"

#include <QDir>
#include <QTemporaryFile>

namespace kfm::shell {

std::string TemporaryFolder() {
    const QString folder = QDir::tempPath();
    QDir().mkpath(folder);
    return (folder.endsWith('/') ? folder : folder + '/').toStdString();
}

std::string MakeTemporaryFile(const std::string& prefix) {
    QTemporaryFile file(QString::fromStdString(TemporaryFolder() + prefix) +
                        QStringLiteral("XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName().toStdString();
}

} // namespace kfm::shell
