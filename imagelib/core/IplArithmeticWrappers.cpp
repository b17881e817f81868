// The IPL wrappers of pixel arithmetic and logic: a constant with one image, two images into a
// third, negation and threshold.

#include "IplImages.h"

#include "ipl/IplArithmetic.h"

namespace {

using kpx::ipl::describe;
using kpx::ipl::guarded;
using kpx::ipl::Image;
using kpx::ipl::pixelsChanged;
using kpx::ipl::succeeded;

bool sameSize(const Image& a, const Image& b) {
    return a.width == b.width && a.height == b.height;
}

// src into dst: both described, of one layout and size.
template <class Call> int unary(KpxHandle src, KpxHandle dst, Call call) {
    return guarded(0, [&] {
        const auto from = describe(src);
        const auto to = describe(dst);
        if (!from || !to || !kfm::ipl::sameLayout(*from, *to) || !sameSize(*from, *to))
            return 0;
        const int result = succeeded(call(*from, *to));
        pixelsChanged(dst);
        return result;
    });
}

// a and b into dst: all three described, of one layout and size.
template <class Call> int binary(KpxHandle a, KpxHandle b, KpxHandle dst, Call call) {
    return guarded(0, [&] {
        const auto first = describe(a);
        const auto second = describe(b);
        const auto to = describe(dst);
        if (!first || !second || !to || !kfm::ipl::sameLayout(*first, *second) ||
            !kfm::ipl::sameLayout(*first, *to) || !sameSize(*first, *second) ||
            !sameSize(*first, *to))
            return 0;
        const int result = succeeded(call(*first, *second, *to));
        pixelsChanged(dst);
        return result;
    });
}

} // namespace

int IPLAddS(KpxHandle src, KpxHandle dst, int value) {
    return unary(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::addS(from, to, value);
    });
}

int IPLMultiplyS(KpxHandle src, KpxHandle dst, int value) {
    return unary(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::multiplyS(from, to, value);
    });
}

int IPLSubtractS(KpxHandle src, KpxHandle dst, int value, int fromValue) {
    const auto order = fromValue ? kfm::ipl::SubtractFrom::Value : kfm::ipl::SubtractFrom::Source;
    return unary(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::subtractS(from, to, value, order);
    });
}

int IPLAdd(KpxHandle a, KpxHandle b, KpxHandle dst) {
    return binary(a, b, dst, kfm::ipl::add);
}

int IPLSubtract(KpxHandle a, KpxHandle b, KpxHandle dst) {
    return binary(a, b, dst, kfm::ipl::subtract);
}

int IPLAnd(KpxHandle a, KpxHandle b, KpxHandle dst) {
    return binary(a, b, dst, kfm::ipl::bitwiseAnd);
}

int IPLXor(KpxHandle a, KpxHandle b, KpxHandle dst) {
    return binary(a, b, dst, kfm::ipl::bitwiseXor);
}

int IPLNot(KpxHandle src, KpxHandle dst) {
    return unary(src, dst, kfm::ipl::bitwiseNot);
}

int IPLThreshold(KpxHandle src, KpxHandle dst, int level) {
    return unary(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::threshold(from, to, level);
    });
}
