// The image edit window's geometry as functions: zoom steps, layout, mapping, object moves,
// resizes and handles, the zoom tool and the freehand buffer.

#include "ImageEditGeometry.h"

#include <gtest/gtest.h>

// Found by argument lookup, as RECT lives in the global namespace.
static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

using namespace kfm::shell::imageedit;

TEST(ImageEditGeometry, ZoomRequestsSnapToSteps) {
    const struct {
        int request, step;
    } cases[] = {{0, 25},     {44, 25},     {45, 50},      {88, 50},   {89, 100},
                 {175, 100},  {176, 200},   {350, 200},    {700, 400}, {701, 800},
                 {1400, 800}, {1401, 1600}, {99999, 1600}, {-5, 25}};
    for (const auto& c : cases)
        EXPECT_EQ(ZoomStep(c.request), c.step) << c.request;
}

TEST(ImageEditGeometry, LayoutFitsCentresOrStartsAtTheOrigin) {
    const struct {
        const char* name;
        int width, height, zoom, clientWidth, clientHeight;
        RECT expected;
    } cases[] = {
        {"small image at fit keeps its size, centred", 20, 10, 0, 100, 50, {40, 20, 60, 30}},
        {"large image at fit shrinks into the client less 2 pixels",
         400,
         100,
         0,
         104,
         104,
         {2, 39, 102, 64}},
        {"tall image at fit", 50, 300, 0, 104, 104, {43, 2, 60, 102}},
        {"zoom smaller than the client is centred", 10, 10, 200, 100, 100, {40, 40, 60, 60}},
        {"zoom larger than the client starts at 0", 100, 10, 400, 100, 100, {0, 30, 400, 70}},
        {"25 percent divides", 10, 10, 25, 10, 10, {4, 4, 6, 6}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LayoutImage(c.width, c.height, c.zoom, c.clientWidth, c.clientHeight), c.expected)
            << c.name;
    EXPECT_EQ(ShownZoom(0, RECT{2, 39, 102, 64}, 400), 25);
    EXPECT_EQ(ShownZoom(200, RECT{0, 0, 1, 1}, 400), 200);
}

TEST(ImageEditGeometry, ClientPointsMapToImagePixelsThroughZoomAndScroll) {
    const RECT layout{0, 0, 400, 400}; // 100 x 100 at 400 %
    EXPECT_EQ(WindowToImage({7, 3}, {0, 0}, layout, 100, 100).x, 1);
    EXPECT_EQ(WindowToImage({7, 3}, {0, 0}, layout, 100, 100).y, 0);
    EXPECT_EQ(WindowToImage({0, 0}, {40, 80}, layout, 100, 100).x, 10);
    EXPECT_EQ(WindowToImage({0, 0}, {40, 80}, layout, 100, 100).y, 20);
    const RECT centred{40, 40, 60, 60}; // 10 x 10 at 200 %
    EXPECT_EQ(WindowToImage({59, 41}, {0, 0}, centred, 10, 10).x, 9);
    const POINT back = ImageToWindow({9, 0}, {0, 0}, centred, 10, 10);
    EXPECT_EQ(back.x, 58);
    EXPECT_EQ(back.y, 40);
}

TEST(ImageEditGeometry, ScrollStopsWhereTheImageEnds) {
    EXPECT_EQ(ScrollLimit(400, 100), 300);
    EXPECT_EQ(ScrollLimit(80, 100), 0);
}

TEST(ImageEditGeometry, MovedObjectsStopAtTheEdgesTheFlagsKeep) {
    const RECT object{10, 10, 30, 20}; // 20 x 10 in a 100 x 50 image
    const RECT grab{5, 5, 15, 5};
    const std::uint32_t kept =
        kObjectMovable | kObjectKeepLeft | kObjectKeepTop | kObjectKeepRight | kObjectKeepBottom;
    const struct {
        const char* name;
        POINT pointer;
        std::uint32_t flags;
        RECT expected;
    } cases[] = {
        {"inside", {50, 30}, kept, {45, 25, 65, 35}},
        {"past the right and bottom edges", {200, 200}, kept, {80, 40, 100, 50}},
        {"past the left and top edges", {-50, -50}, kept, {0, 0, 20, 10}},
        {"unclamped passes right and bottom",
         {200, 200},
         kObjectMovable | kObjectUnclamped,
         {195, 195, 215, 205}},
        {"unclamped stops at left and top",
         {-50, -50},
         kObjectMovable | kObjectUnclamped,
         {0, 0, 20, 10}},
        {"without flags keeps a pixel inside", {-50, -50}, kObjectMovable, {-19, -9, 1, 1}},
        {"without flags keeps the corner inside", {500, 500}, kObjectMovable, {99, 49, 119, 59}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DragObject(object, c.pointer, kHitMove, grab, c.flags, 100, 50, false),
                  c.expected)
            << c.name;
    // The keyboard gives the new corner directly.
    EXPECT_EQ(DragObject(object, {11, 10}, kHitMove, grab, kept, 100, 50, true),
              (RECT{11, 10, 31, 20}));
}

TEST(ImageEditGeometry, ResizedObjectsNeverGetSmallerThanTwoByTwo) {
    const RECT object{10, 10, 30, 20};
    const RECT noGrab{0, 0, 0, 0};
    const std::uint32_t flags = kObjectMovable | kObjectResizable;
    EXPECT_EQ(DragObject(object, {100, 100}, kHitTopLeft, noGrab, flags, 100, 50, false),
              (RECT{28, 18, 30, 20}));
    EXPECT_EQ(DragObject(object, {0, 0}, kHitBottomRight, noGrab, flags, 100, 50, false),
              (RECT{10, 10, 12, 12}));
    EXPECT_EQ(DragObject(object, {40, 15}, kHitRight, noGrab, flags, 100, 50, false),
              (RECT{10, 10, 40, 20}));
    EXPECT_EQ(
        DragObject(object, {300, 15}, kHitRight, noGrab, flags | kObjectKeepRight, 100, 50, false),
        (RECT{10, 10, 100, 20}));
    // Without the resizable flag a handle changes nothing.
    EXPECT_EQ(DragObject(object, {40, 15}, kHitRight, noGrab, kObjectMovable, 100, 50, false),
              object);
}

TEST(ImageEditGeometry, HandlesAreFoundCornersFirstWithinFivePixels) {
    const RECT o{100, 100, 200, 150};
    const struct {
        POINT p;
        bool resizable;
        int hit;
    } cases[] = {{{103, 96}, true, kHitTopLeft},   {{204, 154}, true, kHitBottomRight},
                 {{198, 102}, true, kHitTopRight}, {{101, 149}, true, kHitBottomLeft},
                 {{150, 104}, true, kHitTop},      {{150, 146}, true, kHitBottom},
                 {{96, 125}, true, kHitLeft},      {{205, 125}, true, kHitRight},
                 {{150, 125}, true, kHitMove},     {{103, 96}, false, kHitNone},
                 {{150, 125}, false, kHitMove},    {{250, 125}, true, kHitNone}};
    for (const auto& c : cases)
        EXPECT_EQ(HitTestObject(o, c.p, c.resizable), c.hit) << c.p.x << "," << c.p.y;
}

TEST(ImageEditGeometry, ZoomToolDragsAskForAZoom) {
    const RECT image{0, 0, 400, 300};
    EXPECT_EQ(ZoomForDrag({500, 10, 600, 50}, image, 100, 400, 300), 200) << "misses the image";
    EXPECT_EQ(ZoomForDrag({10, 10, 10, 10}, image, 100, 400, 300), 200) << "a click";
    EXPECT_EQ(ZoomForDrag({110, 10, 10, 60}, image, 100, 400, 300), 400) << "wide drag";
    EXPECT_EQ(ZoomForDrag({10, 10, 40, 160}, image, 100, 400, 300), 200) << "high drag";
    EXPECT_EQ(ZoomForDrag({350, 10, 450, 60}, image, 100, 400, 300), 800) << "clipped to image";
}

TEST(ImageEditGeometry, ContextMenuFollowsTheZoom) {
    const ZoomMenuState top = ZoomMenu(1600);
    EXPECT_TRUE(top.actualSize);
    EXPECT_TRUE(top.zoomOut);
    EXPECT_FALSE(top.zoomIn);
    const ZoomMenuState actual = ZoomMenu(100);
    EXPECT_FALSE(actual.actualSize);
    EXPECT_TRUE(actual.zoomIn);
    EXPECT_FALSE(ZoomMenu(25).zoomOut);
}

TEST(ImageEditGeometry, FreehandBufferRefusesPointsPastItsLimitAndKeepsThePrevious) {
    FreehandPoints points(120);
    for (int i = 0; i < 120; ++i)
        ASSERT_TRUE(points.Append({i, i}));
    EXPECT_FALSE(points.Append({500, 500}));
    EXPECT_EQ(points.Points().size(), 120u);
    EXPECT_EQ(points.Points().back().x, 119);
    points.Clear();
    EXPECT_TRUE(points.Append({1, 1}));
}

} // namespace
