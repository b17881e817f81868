#pragma once
// Alpha composition of the IPL stand-in (Porter-Duff operators on straight colours) over
// OpenCV's core. The images of one call have the same layout; the work is done on the common
// size of the work areas, from their top-left corners. The destination may be one of the
// sources.

#include "ipl/IplImage.h"

namespace kfm::ipl {

enum class Composite : int { Over = 0, In = 1, Out = 2, Atop = 3, Xor = 4, Plus = 5 };

// What composes with what. Alpha images are one channel (8 bits, 255 opaque, or 1 bit) of at
// least the common size; a missing alpha image is opaque. With divide, the colour is divided by
// the composed alpha (a straight colour); without, it stays multiplied by it. The optional mask
// (one channel) limits the destination pixels written to those whose mask value is not 0.
struct Composition {
    Composite operation = Composite::Over;
    const Image* alphaA = nullptr;
    const Image* alphaB = nullptr;
    bool divide = true;
    const Image* mask = nullptr;
};

Status alphaComposite(const Image& a, const Image& b, const Image& dst, const Composition& how);

// The same with one alpha value (0..255) for each whole image in place of alpha images.
Status alphaCompositeC(const Image& a, const Image& b, const Image& dst, Composite operation,
                       int alphaA, int alphaB, bool divide, const Image* mask);

} // namespace kfm::ipl
