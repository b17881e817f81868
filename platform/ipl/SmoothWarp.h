#pragma once
// The smooth-edge warp of the IPL stand-in's geometry (not used elsewhere): the picture is warped
// onto the target and blended with it by how much of each target pixel the picture covers, so
// that its edges do not step.
//
// The source positions of the target pixels are computed in the same fixed-point form as
// OpenCV's warpAffine and warpPerspective compute them, and the picture is sampled with
// cv::remap at those positions: the pixels are the ones a full warp of the picture and of a
// coverage plane would give, but only the pixels the picture reaches are sampled, only a band
// along its edges is blended, and nothing the size of the target is allocated.

#include <opencv2/core.hpp>

namespace kfm::ipl::detail {

// Warps in onto out by a forward transform (3 x 3 perspective or 2 x 3 affine, doubles), with
// the OpenCV interpolation method for the picture. Pixels the picture does not reach keep their
// values; pixels it covers in part are blended with them.
void smoothWarpOnto(const cv::Mat& in, cv::Mat& out, const cv::Mat& transform, int method);

} // namespace kfm::ipl::detail
