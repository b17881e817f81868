#pragma once
// The bitmap effects with their dialogs: each effect but the negative shows a modal dialog in
// which the user sets the effect's parameters while two previews show the picture before and
// after; OK applies the effect to the whole image.

#include <QImage>

#include <functional>

#include "Bitra5.h"
#include "framework/ResourceDialog.h"

class QGridLayout;
class QVBoxLayout;
class QWidget;

namespace kpx::dialogs {

class KpxColorPreview;
class KpxPreview;

struct EffectParameters {
    int p1 = 0;
    int p2 = 0;
    int p3 = 0;
    bool operator==(const EffectParameters&) const = default;
};

// Asks the user for a colour starting from *colour; false when the user cancels. The system
// colour chooser unless another one is installed (tests install their own; an empty function
// restores the system one).
using ColorChooser = std::function<bool(QWidget* parent, COLORREF* colour)>;
void SetColorChooser(ColorChooser chooser);

class BitmapEffectDialog : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    // The dialog of an effect; 0 for the negative and unknown effects.
    static UINT templateOf(int effect);
    // The parameters each dialog opens with.
    static EffectParameters defaultsOf(int effect);

    // image stays the caller's; value is handed to the effect (see KPXApplyBitmapEffect).
    BitmapEffectDialog(QWidget* owner, KpxHandle image, int effect, int value);
    ~BitmapEffectDialog() override;

    int effect() const { return effect_; }
    const EffectParameters& parameters() const { return parameters_; }
    // The pictures the previews show, and whether the source is fitted (else 1:1).
    const QImage& sourcePreview() const { return sourcePicture_; }
    const QImage& processedPreview() const { return processedPicture_; }
    bool fitted() const { return fitted_; }
    kfm::ui::PreviewRefresh& refresh() { return refresh_; }

    // The effect of the chosen parameters on the whole image (the caller's), or 0.
    KpxHandle apply(KpxRowCallback progress) const;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void addParameterRows(QGridLayout* grid);
    void addExtras(QVBoxLayout* column);
    QWidget* ditherGroup();
    QWidget* embossGroup();
    QWidget* colourButton(UINT id, UINT text, int* parameter);
    void setParameter(int index, int value);
    void showParameters();
    void chooseColour(int* parameter);
    void showColours();
    void rebuildSourcePreview();
    void requestPreview(bool force);

    KpxHandle image_;
    int effect_;
    int value_;
    EffectParameters parameters_;
    EffectParameters opened_;
    EffectParameters lastPreview_{-1, -1, -1};
    bool fitted_ = true;
    QImage sourcePicture_;
    QImage processedPicture_;
    KpxPreview* sourceView_ = nullptr;
    KpxPreview* resultView_ = nullptr;
    // Declared last: it goes first, waiting for a running preview job.
    kfm::ui::PreviewRefresh refresh_;
};

} // namespace kpx::dialogs

// Applies an effect to a copy of the image after its dialog (none for the negative); owner is
// the dialog's parent. Returns the new image (the caller's), or 0 for a 0 handle, an unknown
// effect, a cancelled dialog or parameters that leave nothing to do. The wait cursor shows
// while the effect runs.
KpxHandle KPXBitmapEffect(QWidget* owner, KpxHandle image, int effect, int value,
                          KpxRowCallback progress);
