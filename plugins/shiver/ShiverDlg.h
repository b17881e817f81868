#pragma once
// The distortion dialog: the sequence's length, frame and key counts, sequence number, kind of
// displacement and ranges, with a looping preview of the result. The preview pictures are
// computed off the UI thread, so the dialog stays responsive; OK and Cancel stop a computation
// in progress.

#include "ShiverRun.h"

#include "framework/PicturePreview.h"
#include "framework/ResourceDialog.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace kfm::shiver {

// The preview area (control 14000): the current picture at its top left on the button face.
using CShiverPreview = kfm::ui::PicturePreview;

class CShiverDlg : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    // The preview area's size.
    static constexpr int kPreviewWidth = 240;
    static constexpr int kPreviewHeight = 180;

    // texts: the module whose resource tables hold the dialog's texts (the plug-in's own).
    CShiverDlg(QWidget* parent, const CShiverRun& run, HINSTANCE texts);
    ~CShiverDlg() override;

    // The settings the controls hold now.
    ShiverSettings Settings() const;
    void SetSettings(const ShiverSettings& settings);

    // Recomputes the preview pictures ("Aktualizovat náhled", and when the dialog opens).
    void UpdatePreview();
    // True while preview pictures are being computed.
    bool PreviewPending() const { return refresh_.pending(); }
    // The pictures of the last preview and the one shown now; the counter of the one shown.
    const std::vector<QImage>& PreviewPictures() const { return pictures_; }
    int PreviewPosition() const { return position_; }
    QString PreviewCounter() const;
    // The preview's tick in milliseconds: (duration / N) x 10, at least 10.
    int PreviewInterval() const { return timer_.interval(); }
    bool PreviewPlaying() const { return timer_.isActive(); }

public slots:
    void accept() override;
    void reject() override;

private:
    void buildControls();
    QSpinBox* addNumber(int id, int min, int max, int value);
    void stopPreview();
    void showPicture(int position);
    void nextPicture();
    void setStatus(const QString& text);

    const CShiverRun& run_;
    CShiverPreview* preview_ = nullptr;
    QLabel* status_ = nullptr;
    QComboBox* type_ = nullptr;
    QCheckBox* firstUndeformed_ = nullptr;
    QCheckBox* differencesOnly_ = nullptr;
    std::vector<QImage> pictures_;
    int position_ = 0;
    // N of the sequence the pictures show.
    int previewCount_ = 1;
    QTimer timer_;
    // Stops a preview computation; shared with the job, which may outlive a request.
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
    kfm::ui::PreviewRefresh refresh_;
};

} // namespace kfm::shiver
