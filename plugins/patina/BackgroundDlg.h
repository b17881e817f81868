#pragma once
// The texture generator dialog: presets, the seed with its lock, the background pattern, the
// colour ramp, the post effects and a 256 x 256 preview; "Rozšířené >>" opens the advanced part
// with the base function, the colour function and the sliders. OK keeps the settings for the
// frame that BuildResult renders at the canvas size.

#include "GradientCtrl.h"
#include "PluginInterface.h"
#include "TextureResult.h"

#include "framework/PicturePreview.h"
#include "framework/ResourceDialog.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;

namespace kfm::patina {

// The values of the controls that do not reach the composition: exchanged with the dialog and
// kept, as the dialog always had them.
struct TextureExtras {
    int complexity = 1;
    int generator = 0;
    int modulationSpeed = 65536;
    bool marble = false;
    bool signedNoise = false;
    bool absoluteValues = false;
    int kind = 0;
};

// The preview area (control 1001): the preview picture at its top left on black.
using CTexturePreview = kfm::ui::PicturePreview;

class CBackgroundDlg : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    static constexpr int kPreviewSide = 256;
    // Where "Prosím čekejte..." is drawn while the preview is composed.
    static constexpr QPoint kWaitTextAt{85, 120};
    // The dialog's width with the advanced part hidden and shown, and its height.
    static constexpr int kNarrowWidth = 440;
    static constexpr int kWideWidth = 600;
    static constexpr int kHeight = 365;

    // texts: the module of the dialog's texts; presetsFolder: where the ".ptn" files are.
    CBackgroundDlg(QWidget* parent, HINSTANCE texts, const QString& presetsFolder);

    // The folder beside the plug-in file that holds its presets ("presets/").
    static QString PluginPresetsFolder();

    // Redraws the preview from the controls ("Překreslit"); nothing while a preset loads or
    // when a field holds a value out of its range (a message says so).
    void UpdatePreview();
    // The preset list: the titles of the folder's "*.ptn" files.
    void FillPresetList();
    // Loads the selected preset into the settings and the controls and redraws.
    void OnSelChangePreset();
    // Saves the settings and markers as a preset (after the file dialog), refills the list.
    bool SavePresetTo(const QString& path);
    // Writes the preview as a BMP file; a failing step shows its name in a message box.
    bool SaveBitmapTo(const QString& path);
    // Toggles the advanced part.
    void ToggleAdvanced();
    bool AdvancedShown() const { return advanced_; }

    // The frame for the canvas: BuildTextureResult with the seed shown, the effects and the
    // stretch flag.
    PluginResult* BuildResult(int width, int height, PluginProgressProc progress);

    TextureSettings& Settings() { return settings_; }
    const TextureExtras& Extras() const { return extras_; }
    CGradientCtrl& Gradient() { return *gradient_; }
    const QImage& PreviewPicture() const { return preview_->picture(); }
    // The seed shown in "Podklad #" (its text may be out of range: then nullopt).
    std::optional<int> ShownSeed() const;

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // What opening the dialog does: the start texture, the black-to-white ramp, the preset list,
    // the narrow size and the lock's icon and tooltip.
    void OnInitDialog();
    void buildControls();
    QWidget* buildBasicPart();
    QWidget* buildAdvancedPart();
    QSlider* addSlider(int id, int min, int max, int value);
    QSpinBox* addSpin(int id, int min, int max, int value);
    // Reads the controls into the settings (MFC's UpdateData(TRUE)); false, with a message,
    // when a number is out of its range.
    bool ReadControls();
    // Shows the settings in the controls.
    void ShowSettings();
    std::optional<int> checkedNumber(int id, int min, int max);
    void updateLockState();
    void OnSavePreset();
    void OnSaveBitmap();
    TextureEffects effects() const;

    QString presetsFolder_;
    TextureSettings settings_;
    TextureExtras extras_;
    CTexturePreview* preview_ = nullptr;
    CGradientCtrl* gradient_ = nullptr;
    QListWidget* presets_ = nullptr;
    QLineEdit* seed_ = nullptr;
    QToolButton* lock_ = nullptr;
    QButtonGroup* pattern_ = nullptr;
    QButtonGroup* baseFunction_ = nullptr;
    QLineEdit* rows_ = nullptr;
    QLineEdit* bricks_ = nullptr;
    QPushButton* advancedButton_ = nullptr;
    QWidget* advancedPart_ = nullptr;
    bool advanced_ = false;
    bool loading_ = false;
};

} // namespace kfm::patina
