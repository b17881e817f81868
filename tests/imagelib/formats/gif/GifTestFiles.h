#pragma once
// Small GIF files built by hand for the codec tests.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "GifLzw.h"

namespace kfm::test::gif {

using Bytes = std::vector<std::uint8_t>;

inline void putU16(Bytes& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

// "GIF89a", the screen descriptor and a grey global table of 2^bits entries.
inline Bytes header(int width, int height, int bits) {
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    putU16(out, width);
    putU16(out, height);
    out.push_back(static_cast<std::uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
    out.push_back(0);
    out.push_back(0);
    const int n = 1 << bits;
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c)
            out.push_back(static_cast<std::uint8_t>(n > 1 ? i * 255 / (n - 1) : 0));
    return out;
}

inline void descriptor(Bytes& out, int left, int top, int width, int height, std::uint8_t packed) {
    out.push_back(0x2C);
    putU16(out, left);
    putU16(out, top);
    putU16(out, width);
    putU16(out, height);
    out.push_back(packed);
}

inline void graphicControl(Bytes& out, int packed, int delay, int transparentIndex) {
    out.insert(out.end(), {0x21, 0xF9, 0x04, static_cast<std::uint8_t>(packed)});
    putU16(out, delay);
    out.insert(out.end(), {static_cast<std::uint8_t>(transparentIndex), 0x00});
}

inline void subBlocks(Bytes& out, const std::string& data) {
    std::size_t at = 0;
    while (at < data.size()) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - at);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<long>(at),
                   data.begin() + static_cast<long>(at + n));
        at += n;
    }
    out.push_back(0);
}

inline void comment(Bytes& out, const std::string& text) {
    out.insert(out.end(), {0x21, 0xFE});
    subBlocks(out, text);
}

// One image encoded with our encoder, as a complete file.
inline Bytes singleImageGif(int width, int height, int bits, bool interlaced,
                            const std::vector<std::uint8_t>& indices) {
    Bytes out = header(width, height, bits);
    descriptor(out, 0, 0, width, height, interlaced ? 0x40 : 0);
    kpx::gif::encodeLzwImage(
        indices, width, height, bits,
        interlaced ? kpx::gif::RowOrder::Interlaced : kpx::gif::RowOrder::Sequential, out);
    out.push_back(0x3B);
    return out;
}

enum class Content { Flat, Stripes, Noise, Gradient };

// Index images of the kinds that stress LZW differently.
inline std::vector<std::uint8_t> indexImage(int width, int height, int bits, Content content,
                                            unsigned seed = 1) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) *
                                     static_cast<std::size_t>(height));
    std::mt19937 random(seed);
    const int colors = 1 << bits;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int v = 0;
            switch (content) {
            case Content::Flat:
                v = 1 % colors;
                break;
            case Content::Stripes:
                v = (x / 3 + y / 5) % colors;
                break;
            case Content::Noise:
                v = static_cast<int>(random() % static_cast<unsigned>(colors));
                break;
            case Content::Gradient:
                v = ((x + y) / 4 + static_cast<int>(random() % 3)) % colors;
                break;
            }
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                   static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(v);
        }
    return pixels;
}

// Packs codes of given widths into sub-blocks (of `blockSize` bytes) with a terminator.
class CodeStream {
public:
    void put(int code, int width) {
        acc_ |= static_cast<std::uint64_t>(code) << nbits_;
        nbits_ += width;
        while (nbits_ >= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(acc_));
            acc_ >>= 8;
            nbits_ -= 8;
        }
    }
    Bytes finish(std::size_t blockSize = 255, bool terminator = true) {
        if (nbits_ > 0)
            bytes_.push_back(static_cast<std::uint8_t>(acc_));
        Bytes out;
        for (std::size_t at = 0; at < bytes_.size(); at += blockSize) {
            const std::size_t n = std::min(blockSize, bytes_.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), bytes_.begin() + static_cast<long>(at),
                       bytes_.begin() + static_cast<long>(at + n));
        }
        if (terminator)
            out.push_back(0);
        return out;
    }

private:
    Bytes bytes_;
    std::uint64_t acc_ = 0;
    int nbits_ = 0;
};

// Emits codes at the widths a decoder expects, following the table as the decoder builds it.
class TrackedCodes {
public:
    explicit TrackedCodes(int codeSize)
        : size_(codeSize), width_(codeSize + 1), next_((1 << codeSize) + 2) {}
    TrackedCodes& add(int code) {
        stream_.put(code, width_);
        const int clear = 1 << size_;
        if (code == clear) {
            width_ = size_ + 1;
            next_ = clear + 2;
            old_ = false;
            return *this;
        }
        if (old_ && next_ < 4096 && ++next_ == (1 << width_) && width_ < 12)
            ++width_;
        old_ = true;
        return *this;
    }
    TrackedCodes& add(std::initializer_list<int> codes) {
        for (int c : codes)
            add(c);
        return *this;
    }
    int next() const { return next_; }
    int width() const { return width_; }
    Bytes finish(std::size_t blockSize = 255, bool terminator = true) {
        return stream_.finish(blockSize, terminator);
    }

private:
    CodeStream stream_;
    int size_, width_, next_;
    bool old_ = false;
};

// A file with one image whose data is the given chain.
inline Bytes fileWithChain(int width, int height, int codeSize, const Bytes& chain) {
    Bytes f = header(width, height, codeSize);
    descriptor(f, 0, 0, width, height, 0);
    f.push_back(static_cast<std::uint8_t>(codeSize));
    f.insert(f.end(), chain.begin(), chain.end());
    f.push_back(0x3B);
    return f;
}

} // namespace kfm::test::gif
