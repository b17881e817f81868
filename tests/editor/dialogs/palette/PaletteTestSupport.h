#pragma once
// Images for the palette tests: a small picture of 1 to 8 bits whose colour table has a distinct
// colour at every entry and whose pixels use exactly the given entries.

#include "Bitra5.h"

#include <QPoint>

#include <initializer_list>

namespace kfm::dialogs {
class CPaletteGridWnd;
}

namespace kfm::test {

// The middle of a cell of the grid.
QPoint cellCentre(const kfm::dialogs::CPaletteGridWnd& grid, int index);

// Entry i gets RGB(i, 255 - i, 60); the used entries take turns along the pixels. The caller
// deletes the image.
KpxHandle MakePaletteImage(int depth, std::initializer_list<int> usedEntries);

// Deletes its image at the end of the scope.
class ImageHolder {
public:
    explicit ImageHolder(KpxHandle image) : image_(image) {}
    ~ImageHolder() { KPXDeleteImage(image_); }
    ImageHolder(const ImageHolder&) = delete;
    ImageHolder& operator=(const ImageHolder&) = delete;
    KpxHandle get() const { return image_; }

private:
    KpxHandle image_;
};

} // namespace kfm::test
