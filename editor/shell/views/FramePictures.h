#pragma once
// Frames as Qt draws them: a frame's picture with its transparency as alpha, the thumbnail of
// a frame for the strip, and a cache that makes each picture once and drops it when its frame
// changes (another image, place, size or transparency).

#include <QImage>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <vector>

#include "Bitra5.h"
#include "FrameObject.h"
#include "types/Win32Types.h"

namespace kfm::ui {

// How a frame's transparency shows.
enum class Transparency {
    Opaque,  // every pixel drawn
    Through, // transparent colours, masks and graded alpha let the background show
};

// An image's pixels as opaque ARGB32 premultiplied, rows from the top; null for image 0.
QImage PictureOfImage(KpxHandle image);
// The frame's display image as ARGB32 premultiplied, with its transparency applied; null for a
// frame without an image.
QImage FramePicture(const CObjFrame& frame, Transparency transparency);

// What a strip thumbnail depends on besides its frame.
struct ThumbnailStyle {
    QSize thumbnail;     // the area inside the thumbnail's frame lines
    int screenWidth = 0; // the animation's size
    int screenHeight = 0;
    bool withPosition = true; // the frame at its place on the fitted screen
    bool transparent = true;  // transparency shown (else only text frames)
    COLORREF background = 0xFFFFFF;
    bool operator==(const ThumbnailStyle&) const = default;
};

// A thumbnail: the picture and its top-left corner inside the thumbnail area.
struct Thumbnail {
    QImage image;
    QPoint offset;
};
Thumbnail MakeThumbnail(const CObjFrame& frame, const ThumbnailStyle& style);

// Pictures of frames, made on demand, kept while their frame stays the same and dropped when
// it changes or when the cache passes its size. While a picture is kept the cache holds a
// reference to the images it was made from, so their handles cannot name other images.
class FramePictureCache {
public:
    explicit FramePictureCache(std::size_t byteLimit);
    ~FramePictureCache();
    FramePictureCache(const FramePictureCache&) = delete;
    FramePictureCache& operator=(const FramePictureCache&) = delete;

    using Maker = std::function<Thumbnail(const CObjFrame&)>;
    // The frame's picture, made when it is missing or its frame changed.
    const Thumbnail& Get(const CObjFrame& frame, const Maker& make);
    // Drops the pictures of frames that no longer exist (or changed).
    void KeepOnly(const std::list<CObjFrame>& frames);
    void Clear();

    int PicturesMade() const { return made_; }
    std::size_t Count() const { return entries_.size(); }
    std::size_t Bytes() const { return bytes_; }

    // What makes a frame's picture: the frame and what it shows.
    struct Signature {
        std::int32_t id = 0;
        std::uint16_t image = 0;
        std::uint16_t display = 0;
        std::uint16_t mask = 0;
        std::int32_t left = 0, top = 0, width = 0, height = 0;
        std::uint32_t transparency = 0;
        std::int32_t hasText = 0, hasVector = 0, softAlpha = 0, alphaValue = 0;
        auto operator<=>(const Signature&) const = default;
    };
    static Signature SignatureOf(const CObjFrame& frame);

private:
    struct Entry {
        Thumbnail picture;
        std::vector<std::uint16_t> held;
        std::list<Signature>::iterator age;
    };
    void evict(std::map<Signature, Entry>::iterator it);

    std::size_t limit_;
    std::size_t bytes_ = 0;
    int made_ = 0;
    std::map<Signature, Entry> entries_;
    std::list<Signature> ages_; // most recently used first
};

} // namespace kfm::ui
