#pragma once
// The custom thumbnail size (template 10646): width and height of the frame strip's thumbnails,
// 80..468 each.

#include "framework/ResourceDialog.h"

namespace kfm::ui {
class CUpDown;
}

namespace kfm::dialogs {

class CDlgThumbSize final : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kHeight = 10504,
        kHeightSpin = 10505,
        kWidth = 10506,
        kWidthSpin = 10507,
    };
    static constexpr int kMinSide = 80;
    static constexpr int kMaxSide = 468;

    // The caller's width and height; OK writes the two sizes back.
    CDlgThumbSize(QWidget* parent, int* width, int* height);

public slots:
    void accept() override;

private:
    int* width_;
    int* height_;
    kfm::ui::CUpDown* widthSpin_ = nullptr;
    kfm::ui::CUpDown* heightSpin_ = nullptr;
};

} // namespace kfm::dialogs
