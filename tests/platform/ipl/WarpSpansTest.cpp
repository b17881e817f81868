// The warps that work only where the picture reaches, against OpenCV's whole-target warps: a
// warp that leaves unreached pixels alone, and the smooth-edge form that warps a plane of ones
// to find how much of each target pixel the picture covers, warps the whole picture with its
// edge pixels repeated, and blends the two over the whole target with cv::blendLinear. The
// bytes must be the same for turns, perspective quadrangles, pictures partly outside the
// target, tiny pictures, every interpolation and both channel counts.

#include "ipl/WarpSpans.h"

#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using kfm::ipl::detail::warpOntoReached;

void referenceWarp(const cv::Mat& in, cv::Mat& out, const cv::Mat& transform, int method) {
    if (transform.rows == 3)
        cv::warpPerspective(in, out, transform, out.size(), method, cv::BORDER_TRANSPARENT);
    else
        cv::warpAffine(in, out, transform, out.size(), method, cv::BORDER_TRANSPARENT);
}

void referenceSmoothWarp(const cv::Mat& in, cv::Mat& out, const cv::Mat& transform, int method) {
    auto warp = [&](const cv::Mat& from, cv::Mat& to, int how, int border) {
        if (transform.rows == 3)
            cv::warpPerspective(from, to, transform, to.size(), how, border);
        else
            cv::warpAffine(from, to, transform, to.size(), how, border);
    };
    cv::Mat coverage(out.size(), CV_32F, cv::Scalar(0));
    warp(cv::Mat(in.size(), CV_32F, cv::Scalar(1)), coverage, cv::INTER_LINEAR,
         cv::BORDER_CONSTANT);
    cv::Mat picture(out.size(), out.type());
    warp(in, picture, method, cv::BORDER_REPLICATE);
    const cv::Mat rest = 1.0 - coverage;
    cv::Mat blended;
    cv::blendLinear(picture, out, coverage, rest, blended);
    blended.copyTo(out);
}

cv::Mat noise(int rows, int cols, int channels, unsigned seed) {
    cv::Mat m(rows, cols, CV_8UC(channels));
    cv::RNG random(seed);
    random.fill(m, cv::RNG::UNIFORM, 0, 256);
    return m;
}

cv::Mat turn(double degrees, cv::Point2d centre, double scale, cv::Point2d shift) {
    cv::Mat m = cv::getRotationMatrix2D(centre, degrees, scale);
    m.at<double>(0, 2) += shift.x;
    m.at<double>(1, 2) += shift.y;
    return m;
}

cv::Mat quadrangle(cv::Size from, const cv::Point2f (&to)[4]) {
    const auto w = static_cast<float>(from.width);
    const auto h = static_cast<float>(from.height);
    const cv::Point2f corners[4] = {
        {-0.5f, -0.5f}, {w - 0.5f, -0.5f}, {w - 0.5f, h - 0.5f}, {-0.5f, h - 0.5f}};
    return cv::getPerspectiveTransform(corners, to);
}

// The quadrangle of a picture turned by some degrees about its centre, placed in the middle of
// the target: a perspective transform that is affine but for rounding, as turned text gives.
cv::Mat turnedQuadrangle(cv::Size from, cv::Size target, double degrees) {
    const double radians = degrees * CV_PI / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const cv::Point2d middle(target.width / 2.0, target.height / 2.0);
    const cv::Point2d corners[4] = {{0, 0},
                                    {double(from.width), 0},
                                    {double(from.width), double(from.height)},
                                    {0, double(from.height)}};
    cv::Point2f to[4];
    for (int i = 0; i < 4; ++i) {
        const double x = corners[i].x - from.width / 2.0;
        const double y = corners[i].y - from.height / 2.0;
        to[i] = cv::Point2f(static_cast<float>(middle.x + x * c + y * s - 0.5),
                            static_cast<float>(middle.y - x * s + y * c - 0.5));
    }
    return quadrangle(from, to);
}

struct WarpCase {
    std::string name;
    cv::Size source;
    cv::Size target;
    cv::Mat transform;
};

std::vector<WarpCase> cases() {
    return {
        {"turn30", {120, 90}, {170, 160}, turn(30, {60, 45}, 1, {25, 35})},
        {"turnTiny", {1, 1}, {7, 7}, turn(17, {0, 0}, 1, {3, 3})},
        {"turnOneRow", {40, 1}, {50, 30}, turn(-41, {20, 0}, 1, {5, 15})},
        {"turnOneColumn", {1, 33}, {30, 50}, turn(12.5, {0, 16}, 1, {15, 10})},
        {"turnPartlyOutside", {100, 80}, {90, 70}, turn(-75, {50, 40}, 1.3, {-20, 10})},
        {"turnFarOutside", {30, 30}, {40, 40}, turn(10, {0, 0}, 1, {500, -300})},
        {"turnQuarterShifted", {50, 40}, {60, 70}, turn(90, {25, 20}, 1, {0.37, 0.81})},
        {"turnWholeCover", {64, 64}, {32, 32}, turn(3, {32, 32}, 1, {-16, -16})},
        {"shrinkAndTurn", {200, 150}, {90, 80}, turn(200, {100, 75}, 0.4, {-50, -40})},
        {"quadrangle",
         {100, 70},
         {140, 130},
         quadrangle({100, 70}, {{20, 5}, {130, 30}, {110, 120}, {3, 90}})},
        {"quadrangleNarrowTarget",
         {100, 70},
         {9, 130},
         quadrangle({100, 70}, {{0, 5}, {8, 30}, {7, 120}, {1, 90}})},
        {"quadrangleShortTarget",
         {60, 60},
         {300, 5},
         quadrangle({60, 60}, {{10, 0.5f}, {290, 1}, {280, 4}, {5, 3.5f}})},
        {"quadrangleTurned",
         {150, 110},
         {210, 200},
         quadrangle({150, 110}, {{40.3f, 0}, {209, 40.7f}, {170, 199}, {0, 160.2f}})},
        {"shrinkToFewPixels", {300, 200}, {40, 40}, turn(33, {150, 100}, 0.05, {-130, -80})},
        {"enlargeAndTurn", {6, 5}, {120, 120}, turn(-20, {3, 2.5}, 14, {57, 57.5})},
        {"quadrangleSteep",
         {90, 90},
         {150, 40},
         quadrangle({90, 90}, {{0, 0}, {150, 0}, {80, 38}, {70, 38}})},
        {"textTurned30", {420, 28}, {400, 240}, turnedQuadrangle({420, 28}, {400, 240}, 30)},
        {"textTurned90", {300, 20}, {40, 310}, turnedQuadrangle({300, 20}, {40, 310}, 90)},
        {"textTurned180", {300, 20}, {310, 30}, turnedQuadrangle({300, 20}, {310, 30}, 180)},
        {"textTurned3", {500, 40}, {520, 80}, turnedQuadrangle({500, 40}, {520, 80}, 3)},
        {"textTurnedOneRow", {200, 1}, {190, 110}, turnedQuadrangle({200, 1}, {190, 110}, -30)},
        {"quadrangleBeyond",
         {80, 80},
         {100, 100},
         quadrangle({80, 80}, {{-30, -10}, {120, 5}, {90, 130}, {10, 80}})},
    };
}

struct Method {
    const char* name;
    int flag;
};

constexpr Method kMethods[] = {{"nearest", cv::INTER_NEAREST},
                               {"linear", cv::INTER_LINEAR},
                               {"cubic", cv::INTER_CUBIC},
                               {"area", cv::INTER_AREA}};

TEST(WarpSpans, GiveTheBytesOfTheWholeTargetWarps) {
    unsigned seed = 1;
    for (const WarpCase& c : cases())
        for (const Method& method : kMethods)
            for (const int channels : {1, 3})
                for (const bool smooth : {false, true}) {
                    const cv::Mat in = noise(c.source.height, c.source.width, channels, seed++);
                    const cv::Mat background =
                        noise(c.target.height, c.target.width, channels, seed++);
                    cv::Mat expected = background.clone();
                    if (smooth)
                        referenceSmoothWarp(in, expected, c.transform, method.flag);
                    else
                        referenceWarp(in, expected, c.transform, method.flag);
                    cv::Mat actual = background.clone();
                    warpOntoReached(in, actual, c.transform, method.flag, smooth);
                    const cv::Mat differs = cv::Mat(actual != expected).reshape(1);
                    EXPECT_EQ(cv::countNonZero(differs), 0)
                        << c.name << " " << method.name << " " << channels << " channels"
                        << (smooth ? ", smooth edges" : "");
                }
}

TEST(WarpSpans, SmoothEdgesBlendOnlyAlongTheEdgesAndKeepsWhatIsNotReached) {
    // A plain picture turned onto a plain target: every pixel is the picture, the target or
    // between the two, and the blended ones lie near the turned edges only.
    const cv::Mat in(60, 60, CV_8UC1, cv::Scalar(200));
    cv::Mat out(100, 100, CV_8UC1, cv::Scalar(10));
    warpOntoReached(in, out, turn(30, {30, 30}, 1, {20, 20}), cv::INTER_CUBIC, true);
    int picture = 0, target = 0, between = 0;
    for (int y = 0; y < out.rows; ++y)
        for (int x = 0; x < out.cols; ++x) {
            const int v = out.at<std::uint8_t>(y, x);
            picture += v == 200;
            target += v == 10;
            between += v > 10 && v < 200;
        }
    EXPECT_EQ(picture + target + between, out.rows * out.cols);
    EXPECT_GT(picture, 2500);
    EXPECT_GT(target, 3000);
    // The edges are 4 x 60 pixels long; a band of 2 pixels holds all that is blended.
    EXPECT_GT(between, 0);
    EXPECT_LT(between, 4 * 60 * 2);
    EXPECT_EQ(out.at<std::uint8_t>(50, 50), 200) << "the middle is covered whole";
    EXPECT_EQ(out.at<std::uint8_t>(0, 0), 10) << "the corner is not reached";
}

} // namespace
