#pragma once
// The GIF details dialog (template 10598): the blocks of a GIF file, one row each, in a window
// the user may resize (never below 350 x 240); its size is kept in "Dlgs\\DetailsGIF".

#include <QString>

#include <vector>

#include "Bitra5.h"
#include "framework/ResourceDialog.h"

class QLabel;
class QTreeWidget;

namespace kfm::dialogs {

// The file size as the dialog shows it: below 1000 bytes through the format (its "%d" the
// bytes), else thousands of bytes with three decimals after a comma and " kB".
QString GifFileSizeText(long long bytes, const QString& bytesFormat);
// Fills a format's "%s", "%d" and "%u" placeholders with the values in order ("%%" is a percent
// sign; placeholders without a value become empty).
QString FillFormat(const QString& format, const QStringList& values);
// The blocks of a GIF file as KPXGetGifDetails lists them, however many there are; empty when
// the scan fails.
std::vector<KpxGifBlockInfo> ReadGifBlocks(const char* path);

class CDlgDetailsGIF final : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int { kFileName = 10055, kFileSize = 10056, kList = 10057 };
    static constexpr int kMinWidth = 350;
    static constexpr int kMinHeight = 240;

    CDlgDetailsGIF(QWidget* parent, const QString& path, long long fileSize, int count,
                   const KpxGifBlockInfo* blocks);
    ~CDlgDetailsGIF() override;

    QTreeWidget* List() const { return list_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QStringList row(int number, const KpxGifBlockInfo& block) const;
    QString details(const KpxGifBlockInfo& block) const;

    QTreeWidget* list_;
};

} // namespace kfm::dialogs
