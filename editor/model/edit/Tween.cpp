#include "Tween.h"

#include "EdgeLocks.h"
#include "FrameTransparency.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "ProgramState.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <iterator>
#include <vector>

namespace kfm::model {

namespace {

constexpr int kMaxNewFrames = 999;

std::uint8_t* rowFromTop(KpxHandle image, int y) {
    return KPXGetBits(image) +
           static_cast<std::size_t>(KPXHeight(image) - 1 - y) * KPXGetScanBytes(image);
}

// Frames whose transparency is graded (objects and soft alpha) fade by lowering that grading.
bool hasGradedTransparency(const CObjFrame& f) {
    return f.hasText || f.hasControl || f.hasVector || f.softAlpha;
}

// The opacity of every pixel of an image (255 opaque), rows from the top: the inverse of its
// explicit transparency for graded frames, else of its mask, else all opaque.
std::vector<std::uint8_t> opacityOf(KpxHandle image, bool graded) {
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    std::vector<std::uint8_t> opacity(static_cast<std::size_t>(width) * height, 255);
    KpxHandle plane = graded ? explicitTransparencyOf(image) : 0;
    const ScopedImage mask(
        !plane && KPXIsImageTransparent(image) ? KPXGetImageTransparentImage(image) : 0);
    if (!plane)
        plane = mask.get();
    if (!plane || KPXWidth(plane) != width || KPXHeight(plane) != height)
        return opacity;
    const int depth = KPXbpp(plane);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rowFromTop(plane, y);
        std::uint8_t* out = opacity.data() + static_cast<std::size_t>(y) * width;
        if (depth == 8) {
            for (int x = 0; x < width; ++x)
                out[x] = static_cast<std::uint8_t>(255 - row[x]);
        } else if (depth == 1) {
            for (int x = 0; x < width; ++x)
                out[x] = ((row[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255;
        }
    }
    return opacity;
}

// One picture drawn onto the canvas: its 24-bit colours, its opacity and its own place.
struct Picture {
    ScopedImage converted; // the 24-bit copy when the frame's image has another depth
    KpxHandle colour = 0;
    std::vector<std::uint8_t> opacity; // rows from the top, 255 opaque
    bool graded = false;
    int highest = 255; // the highest opacity present (graded pictures)
    int width = 0;
    int height = 0;
    int left = 0; // the frame's own place on the animation's screen
    int top = 0;

    bool valid() const { return colour && !opacity.empty(); }
};

// The highest level of an opacity plane, as the grey-level census of the library reads it.
int highestLevel(const std::vector<std::uint8_t>& opacity, int width, int height) {
    const ScopedImage grey(CreateSolidImage(width, height, 0));
    if (!grey.get())
        return 255;
    for (int y = 0; y < height; ++y)
        std::copy_n(opacity.data() + static_cast<std::size_t>(y) * width, width,
                    rowFromTop(grey.get(), y));
    return GetHighestGreyLevel(grey.get());
}

Picture preparePicture(const CObjFrame& f) {
    Picture p;
    const auto image = static_cast<KpxHandle>(f.GetImage());
    if (!image)
        return p;
    p.width = KPXWidth(image);
    p.height = KPXHeight(image);
    p.left = f.left;
    p.top = f.top;
    if (KPXbpp(image) == 24) {
        p.colour = image;
    } else {
        p.converted.reset(KPXColorConvert(image, 24, 0, 0, 0, nullptr, nullptr));
        p.colour = p.converted.get();
    }
    p.graded = hasGradedTransparency(f);
    p.opacity = opacityOf(image, p.graded);
    if (p.graded)
        p.highest = highestLevel(p.opacity, p.width, p.height);
    return p;
}

// The alpha of each opacity value in one step: plain pictures show their opaque area at level;
// graded ones keep their grading lowered by lower.
struct AlphaTable {
    std::uint8_t of[256];
    AlphaTable(const Picture& p, int level, int lower) {
        for (int v = 0; v < 256; ++v)
            of[v] =
                static_cast<std::uint8_t>(p.graded ? std::clamp(v - lower, 0, 255)
                                                   : (v * std::clamp(level, 0, 255) + 127) / 255);
    }
};

struct Canvas {
    RECT rect{0, 0, 0, 0}; // on the animation's screen, right and bottom exclusive
    ScopedImage image;     // 24 bits
    std::vector<std::uint8_t> alpha;
    int width() const { return rect.right - rect.left; }
    int height() const { return rect.bottom - rect.top; }
};

// Fills the canvas with the background colour.
void fillCanvas(Canvas& canvas, COLORREF colour) {
    const int width = canvas.width();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        row[3 * x] = GetBValue(colour);
        row[3 * x + 1] = GetGValue(colour);
        row[3 * x + 2] = GetRValue(colour);
    }
    for (int y = 0; y < canvas.height(); ++y)
        std::copy(row.begin(), row.end(), rowFromTop(canvas.image.get(), y));
}

// a * alpha + b * (255 - alpha), rounded, over whole rows of bytes with one alpha per byte:
// plain 16-bit arithmetic ((t + 1 + (t >> 8)) >> 8 is t / 255 for every t below 65535), in
// blocks of a fixed size that the compiler turns into vector code.
inline std::uint8_t blendByte(std::uint8_t a, std::uint8_t b, std::uint8_t alpha) {
    const auto t = static_cast<std::uint16_t>(a * alpha + b * (255 - alpha) + 127);
    return static_cast<std::uint8_t>((t + 1 + (t >> 8)) >> 8);
}

void blendRow(const std::uint8_t* __restrict a, std::uint8_t* __restrict b,
              const std::uint8_t* __restrict alpha, int bytes) {
    constexpr int kBlock = 32;
    int j = 0;
    for (; j + kBlock <= bytes; j += kBlock)
        for (int i = 0; i < kBlock; ++i)
            b[j + i] = blendByte(a[j + i], b[j + i], alpha[j + i]);
    for (; j < bytes; ++j)
        b[j] = blendByte(a[j], b[j], alpha[j]);
}

// Blends the picture at (x, y) of the animation's screen over the canvas through its alpha and
// adds that alpha to the canvas's.
void drawPicture(Canvas& canvas, const Picture& p, int x, int y, const AlphaTable& table) {
    const int cx = x - canvas.rect.left;
    const int cy = y - canvas.rect.top;
    const int x0 = std::max(cx, 0);
    const int x1 = std::min(cx + p.width, canvas.width());
    const int y0 = std::max(cy, 0);
    const int y1 = std::min(cy + p.height, canvas.height());
    if (x1 <= x0 || y1 <= y0)
        return;
    std::vector<std::uint8_t> alphaBytes(static_cast<std::size_t>(x1 - x0) * 3);
    for (int row = y0; row < y1; ++row) {
        const int py = row - cy;
        const std::uint8_t* opacity =
            p.opacity.data() + static_cast<std::size_t>(py) * p.width + (x0 - cx);
        std::uint8_t* coverage =
            canvas.alpha.data() + static_cast<std::size_t>(row) * canvas.width() + x0;
        for (int i = 0; i < x1 - x0; ++i) {
            const std::uint8_t a = table.of[opacity[i]];
            alphaBytes[3 * i] = alphaBytes[3 * i + 1] = alphaBytes[3 * i + 2] = a;
            coverage[i] = static_cast<std::uint8_t>(std::min(coverage[i] + a, 255));
        }
        blendRow(rowFromTop(p.colour, py) + 3 * (x0 - cx),
                 rowFromTop(canvas.image.get(), row) + 3 * x0, alphaBytes.data(), 3 * (x1 - x0));
    }
}

RECT rectOf(const CObjFrame& f) {
    return frameRect(f.left, f.top, f.width, f.height);
}

// The frames that take part, by their index in the list.
struct Plan {
    int first = 0;
    int second = 0;
    int count = 0;
    std::vector<CObjFrame*> frames; // the list as a vector, placeholder excluded
    std::vector<int> roles;         // per real frame: 1, 2, 3, 4 or -1
    std::deque<CObjFrame*> before;  // role 1
    std::deque<CObjFrame*> between; // role 2 or 3
    std::deque<CObjFrame*> after;   // role 4
};

TweenOutcome makePlan(FrameList& list, const TweenRequest& request, Plan& plan) {
    // Every entry but the trailing placeholder, so that indexes stay those of the list.
    for (auto it = list.begin(); it != list.end() && std::next(it) != list.end(); ++it)
        plan.frames.push_back(&*it);
    const int real = static_cast<int>(plan.frames.size());
    if (real < 2)
        return TweenOutcome::SecondNotAfterFirst;
    plan.first = std::clamp(request.first, 0, real - 1);
    plan.second = std::clamp(request.second, 0, real - 1);
    if (plan.second <= plan.first)
        return TweenOutcome::SecondNotAfterFirst;
    plan.roles.assign(real, -1);
    const int a = plan.first;
    const int b = plan.second;
    for (int i = 0; i < real; ++i) {
        CObjFrame* f = plan.frames[i];
        if (request.placement == TweenPlacement::UpdateSelected && f->selected && i != a &&
            i != b) {
            plan.roles[i] = i < a ? 1 : (i < b ? 2 : 4);
            (i < a ? plan.before : (i < b ? plan.between : plan.after)).push_back(f);
        } else if (request.placement == TweenPlacement::UpdateBetween && i > a && i < b) {
            plan.roles[i] = 3;
            plan.between.push_back(f);
        }
    }
    if (request.placement == TweenPlacement::InsertAfterFirst) {
        plan.count = std::clamp(request.count, 1, kMaxNewFrames);
        return TweenOutcome::Done;
    }
    plan.count = static_cast<int>(plan.before.size() + plan.between.size() + plan.after.size());
    if (plan.count == 0)
        return request.placement == TweenPlacement::UpdateBetween ? TweenOutcome::NothingBetween
                                                                  : TweenOutcome::NothingSelected;
    return TweenOutcome::Done;
}

RECT canvasRect(const FrameList& list, const TweenRequest& request, const Plan& plan) {
    std::vector<RECT> rects;
    const int a = plan.first;
    const int b = plan.second;
    switch (request.placement) {
    case TweenPlacement::InsertAfterFirst:
        rects = {rectOf(*plan.frames[a]), rectOf(*plan.frames[b])};
        break;
    case TweenPlacement::UpdateBetween:
        for (int i = a; i <= b; ++i)
            rects.push_back(rectOf(*plan.frames[i]));
        break;
    case TweenPlacement::UpdateSelected:
        rects = {rectOf(list.front()), rectOf(*plan.frames[a]), rectOf(*plan.frames[b])};
        for (int i = 0; i < static_cast<int>(plan.frames.size()); ++i)
            if (plan.roles[i] > 0)
                rects.push_back(rectOf(*plan.frames[i]));
        break;
    }
    return unionOfRects(rects);
}

// Draws the next frame of a role queue at its own place, fully.
bool drawNextOfRole(Canvas& canvas, std::deque<CObjFrame*>& queue) {
    if (queue.empty())
        return true;
    const CObjFrame* f = queue.front();
    queue.pop_front();
    if (!f->GetImage())
        return true; // nothing to show
    const Picture p = preparePicture(*f);
    if (!p.valid())
        return false;
    drawPicture(canvas, p, p.left, p.top, AlphaTable(p, 255, 0));
    return true;
}

// A new frame from the canvas: its alpha becomes the explicit transparency (255 transparent).
bool appendFrame(FrameList& made, Canvas& canvas, int delay) {
    ScopedImage transparency(CreateSolidImage(canvas.width(), canvas.height(), 0));
    if (!transparency.get())
        return false;
    for (int y = 0; y < canvas.height(); ++y) {
        const std::uint8_t* in = canvas.alpha.data() + static_cast<std::size_t>(y) * canvas.width();
        std::uint8_t* out = rowFromTop(transparency.get(), y);
        for (int x = 0; x < canvas.width(); ++x)
            out[x] = static_cast<std::uint8_t>(255 - in[x]);
    }
    attachExplicit(canvas.image.get(), transparency.release());
    CObjFrame& f = made.emplace_back();
    f.SetImage(static_cast<std::uint16_t>(canvas.image.release()));
    f.width = canvas.width();
    f.height = canvas.height();
    f.left = canvas.rect.left;
    f.top = canvas.rect.top;
    f.delay = delay;
    f.disposal = 3;
    f.transparency = 0;
    f.softAlpha = 1;
    f.PutFrameInfo(0);
    return true;
}

void putIntoList(FrameList& list, FrameList& made, const TweenRequest& request, const Plan& plan) {
    if (request.placement == TweenPlacement::InsertAfterFirst) {
        auto after = std::next(list.begin());
        while (&*std::prev(after) != plan.frames[plan.first])
            ++after;
        list.splice(after, made);
        return;
    }
    auto next = made.begin();
    for (int i = 0; i < static_cast<int>(plan.frames.size()) && next != made.end(); ++i) {
        if (plan.roles[i] <= 0)
            continue;
        CObjFrame& replaced = *plan.frames[i];
        const int current = replaced.current;
        replaced = *next++;
        replaced.selected = 1;
        replaced.current = current;
    }
}

} // namespace

int TweenLevel(int k, int steps, int full) {
    if (steps <= 0)
        return 0;
    const int part = full / steps;
    return part >= 1 ? k * part : static_cast<int>(static_cast<long long>(k) * full / steps);
}

int TweenFrameCount(const FrameList& frames, const TweenRequest& request) {
    Plan plan;
    if (makePlan(const_cast<FrameList&>(frames), request, plan) != TweenOutcome::Done)
        return 0;
    return plan.count;
}

TweenOutcome TweenFrames(FrameList& list, const TweenRequest& request) {
    Plan plan;
    if (const TweenOutcome refused = makePlan(list, request, plan); refused != TweenOutcome::Done)
        return refused;
    const RECT area = canvasRect(list, request, plan);
    const bool drawA = request.pictures != TweenPictures::OnlySecond;
    const bool drawB = request.pictures != TweenPictures::OnlyFirst;
    Picture a = preparePicture(*plan.frames[plan.first]);
    Picture b = preparePicture(*plan.frames[plan.second]);
    if (!a.valid() || !b.valid())
        return TweenOutcome::Failed;

    const int n = plan.count;
    const int steps = n + 1;
    FrameList made;
    ShownProgress progress(kfm5res::IDS_CAPTION_TWEENING, n);
    for (int k = 1; k <= n; ++k) {
        Canvas canvas;
        canvas.rect = area;
        canvas.image.reset(KPXCreateImage(canvas.width(), canvas.height(), 24));
        if (!canvas.image.get())
            return TweenOutcome::Failed;
        fillCanvas(canvas, request.background);
        canvas.alpha.assign(static_cast<std::size_t>(canvas.width()) * canvas.height(), 0);

        bool drawn = drawNextOfRole(canvas, plan.before);
        if (drawA)
            drawPicture(
                canvas, a, a.left, a.top,
                AlphaTable(a, 255 - TweenLevel(k, steps, 255), TweenLevel(k, steps, a.highest)));
        drawn = drawn && drawNextOfRole(canvas, plan.between);
        if (drawB) {
            const AlphaTable table(b, TweenLevel(k, steps, 255),
                                   b.highest - TweenLevel(k, steps, b.highest));
            int x = b.left;
            int y = b.top;
            if (request.travel) {
                x = a.left + k * ((b.left - a.left) / steps);
                y = a.top + k * ((b.top - a.top) / steps);
            }
            drawPicture(canvas, b, x, y, table);
        }
        drawn = drawn && drawNextOfRole(canvas, plan.after);
        if (!drawn || !appendFrame(made, canvas, request.delay))
            return TweenOutcome::Failed;
        if (IsEscapePressed(0, k, nullptr))
            return TweenOutcome::Cancelled;
    }
    putIntoList(list, made, request, plan);
    return TweenOutcome::Done;
}

} // namespace kfm::model
