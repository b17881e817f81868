#include "StillImageSupport.h"

#include "PackedPixels.h"

#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace kfm::test {

namespace {

// Prints "width height" and then the raw RGB bytes of the file named by the first argument.
constexpr const char* kPillowScript =
    "import sys\n"
    "from PIL import Image\n"
    "im = Image.open(sys.argv[1]); im.load()\n"
    "if im.mode in ('I', 'I;16', 'I;16B', 'I;16L'):\n"
    "    g = Image.new('L', im.size); g.putdata([v >> 8 for v in im.getdata()]); im = g\n"
    "im = im.convert('RGB')\n"
    "sys.stdout.write('%d %d\\n' % im.size); sys.stdout.flush()\n"
    "sys.stdout.buffer.write(im.tobytes())\n";

struct PipeCloser {
    void operator()(FILE* pipe) const { ::pclose(pipe); }
};

} // namespace

RgbPicture rgbOf(KpxHandle image) {
    RgbPicture picture;
    picture.width = KPXWidth(image);
    picture.height = KPXHeight(image);
    const int bpp = KPXbpp(image);
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    const std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    if (!info || !bits)
        return picture;
    picture.rgb.reserve(std::size_t(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = bits + std::size_t(picture.height - 1 - y) * stride;
        for (int x = 0; x < picture.width; ++x) {
            if (bpp >= 24) {
                const std::uint8_t* p = row + x * (bpp / 8);
                picture.rgb.insert(picture.rgb.end(), {p[2], p[1], p[0]});
                continue;
            }
            const RGBQUAD c = info->bmiColors[packedIndexAt(row, x, bpp)];
            picture.rgb.insert(picture.rgb.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
    }
    return picture;
}

std::uint32_t crc32Of(const std::vector<std::uint8_t>& bytes) {
    return static_cast<std::uint32_t>(::crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

std::vector<PeerExpectation> readPeerExpectations(const std::filesystem::path& tsv) {
    std::vector<PeerExpectation> lines;
    std::ifstream in(tsv);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        PeerExpectation e;
        std::string second;
        fields >> e.name >> second;
        if (second != "fail") {
            e.readable = true;
            e.width = std::stoi(second);
            std::string crc;
            fields >> e.height >> crc;
            e.crc = static_cast<std::uint32_t>(std::stoul(crc, nullptr, 16));
        }
        lines.push_back(e);
    }
    return lines;
}

std::optional<RgbPicture> pillowRead(const std::string& path) {
    const std::string scriptFile = path + ".peer.py";
    std::ofstream(scriptFile) << kPillowScript;
    const std::string command = "/usr/bin/python3 '" + scriptFile + "' '" + path + "' 2>/dev/null";
    std::unique_ptr<FILE, PipeCloser> pipe(::popen(command.c_str(), "r"));
    if (!pipe)
        return std::nullopt;
    RgbPicture picture;
    if (std::fscanf(pipe.get(), "%d %d", &picture.width, &picture.height) != 2 ||
        std::fgetc(pipe.get()) != '\n')
        return std::nullopt;
    picture.rgb.resize(std::size_t(picture.width) * picture.height * 3);
    if (std::fread(picture.rgb.data(), 1, picture.rgb.size(), pipe.get()) != picture.rgb.size())
        return std::nullopt;
    std::remove(scriptFile.c_str());
    return picture;
}

Difference differenceOf(const RgbPicture& a, const RgbPicture& b) {
    Difference d;
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) {
        d.largest = 256;
        return d;
    }
    std::uint64_t sum = 0;
    std::size_t above = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) {
        const int delta = std::abs(int{a.rgb[i]} - int{b.rgb[i]});
        d.largest = std::max(d.largest, delta);
        sum += static_cast<std::uint64_t>(delta);
        above += delta > 16 ? 1 : 0;
    }
    d.mean = static_cast<double>(sum) / static_cast<double>(a.rgb.size());
    d.shareAbove16 = static_cast<double>(above) / static_cast<double>(a.rgb.size());
    return d;
}

bool withinJpegTolerance(const Difference& d) {
    return d.mean < 2.5 && d.shareAbove16 < 0.02;
}

KpxHandle patternImage(int width, int height, int depth) {
    const KpxHandle image = KPXCreateImage(width, height, depth);
    if (!image)
        return 0;
    std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    if (depth <= 8) {
        BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
        const int colours = 1 << depth;
        for (int i = 0; i < colours; ++i)
            info->bmiColors[i] =
                RGBQUAD{static_cast<BYTE>(i * 37 % 256), static_cast<BYTE>(255 - i * 11 % 256),
                        static_cast<BYTE>(i * 7 % 256), 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* row = bits + std::size_t(y) * stride;
                const int index = (x + 3 * y) % colours;
                if (depth == 8)
                    row[x] = static_cast<std::uint8_t>(index);
                else if (depth == 4)
                    row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & (x % 2 ? 0xF0 : 0x0F)) |
                                                           (index << (x % 2 ? 0 : 4)));
                else if (index)
                    row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | (0x80 >> (x % 8)));
            }
        KPXFillDIBColorTable(image);
        return image;
    }
    const int step = depth / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bits + std::size_t(y) * stride + std::size_t(x) * step;
            p[0] = static_cast<std::uint8_t>(x * 255 / std::max(width - 1, 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / std::max(height - 1, 1));
            p[2] = static_cast<std::uint8_t>((x * y / 7 + (x ^ y)) & 0xFF);
            if (step == 4)
                p[3] = static_cast<std::uint8_t>(x & 0xFF);
        }
    return image;
}

bool gunzipTo(const std::filesystem::path& packed, const std::string& path) {
    gzFile in = ::gzopen(packed.c_str(), "rb");
    if (!in)
        return false;
    std::ofstream out(path, std::ios::binary);
    char buffer[1 << 16];
    int n = 0;
    while ((n = ::gzread(in, buffer, sizeof buffer)) > 0)
        out.write(buffer, n);
    ::gzclose(in);
    return n == 0 && static_cast<bool>(out);
}

} // namespace kfm::test
