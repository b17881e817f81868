#pragma once
// The compression dialog (template 10599): the options the chosen file format offers for the
// image's depth, and the quality where it offers one, before one frame is saved in that format.

#include "framework/ResourceDialog.h"

namespace kfm::ui {
class CUpDown;
}

namespace kfm::dialogs {

class CDlgCompress final : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kHuffman = 10062,
        kInterlaced = 10063,
        kPredictor = 10065,
        kQualityOption = 10066,
        kQuality = 10067,
        kQualitySpin = 10068,
        kQualityLabel = 10069,
        kLzw = 10070,
        kNone = 10071,
        kRle = 10072,
    };
    static constexpr int kMinQuality = 5;
    static constexpr int kMaxQuality = 100;

    // quality and optionBits are the caller's; OK writes them.
    CDlgCompress(QWidget* parent, int formatId, int bitsPerPixel, int* optionBits, int* quality);

public slots:
    void accept() override;

private:
    void enableQuality();
    bool checked(int id) const;

    kfm::ui::CUpDown* spin_ = nullptr;
    int* optionBits_;
    int* quality_;
};

} // namespace kfm::dialogs
