#pragma once
// The warps of the IPL stand-in's geometry onto a target (not used elsewhere). Pixels the picture
// does not reach keep their values; with smooth edges the picture is blended with the target by
// how much of each target pixel it covers, so that its edges do not step.
//
// The source positions of the target pixels are computed in the same fixed-point form as
// OpenCV's warpAffine and warpPerspective compute them, and the picture is sampled with
// cv::remap at those positions, so the pixels are the ones those warps give (for smooth edges:
// a warp of the picture blended by a warp of a plane of ones). But only the span of each row
// that the picture can reach is worked on, only a band along its edges is blended, and nothing
// the size of the target is allocated.

#include <opencv2/core.hpp>

namespace kfm::ipl::detail {

// Warps in onto out by a forward transform (3 x 3 perspective or 2 x 3 affine, doubles) with an
// OpenCV interpolation method.
void warpOntoReached(const cv::Mat& in, cv::Mat& out, const cv::Mat& transform, int method,
                     bool smoothEdges);

} // namespace kfm::ipl::detail
