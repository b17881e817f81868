#include "BmiFormat.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include <zlib.h>

#include "ByteReader.h"
#include "ByteWriter.h"

namespace kpx::bmi {

namespace {

constexpr std::string_view kMagic = "KeldoBMIa";
constexpr std::string_view kText = "This file was created by KELDO software, Inc.";
constexpr std::int16_t kVersion = 1;
constexpr std::int16_t kWrittenEntries = 6;
constexpr std::int16_t kTextKind = 4000;
// A chunk's header (length and method) and the smallest zlib stream.
constexpr std::uint64_t kSmallestChunk = 3 + 8;

bool isDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

bool paletteFollows(int bits) {
    return bits >= 0 && bits <= 8;
}

std::size_t paletteEntries(int bits) {
    return std::size_t{1} << bits;
}

CodecStatus readPalette(ByteReader& in, int bits, std::uint8_t (&palette)[256][3]) {
    for (std::size_t i = 0; i < paletteEntries(bits); ++i) {
        const auto entry = in.bytes(4);
        if (entry.empty())
            return CodecStatus::Truncated;
        palette[i][0] = entry[2];
        palette[i][1] = entry[1];
        palette[i][2] = entry[0];
    }
    return CodecStatus::Ok;
}

void writePalette(ByteWriter& w, int bits, const std::uint8_t (*palette)[3]) {
    for (std::size_t i = 0; i < paletteEntries(bits); ++i) {
        w.u8(palette[i][2]);
        w.u8(palette[i][1]);
        w.u8(palette[i][0]);
        w.u8(0);
    }
}

std::int32_t dataSizeOf(int width, int height, int bits) {
    const std::uint64_t size =
        std::uint64_t{rowBytes(width, bits)} * static_cast<std::uint64_t>(std::max(height, 0));
    return static_cast<std::int32_t>(std::min<std::uint64_t>(size, INT32_MAX));
}

// One chunk expanded: the bytes of its rows.
CodecStatus readChunk(ByteReader& in, std::uint16_t chunkSize, std::vector<std::uint8_t>& rows) {
    const std::uint16_t length = in.u16le();
    const std::uint8_t method = in.u8();
    const auto stored = in.bytes(length);
    if (in.truncated())
        return CodecStatus::Truncated;
    if (method == 0) {
        rows.assign(stored.begin(), stored.end());
        return CodecStatus::Ok;
    }
    rows.resize(chunkSize);
    uLongf size = chunkSize;
    // A data error is damaged data like any other, never a chunk to take as it stands.
    if (uncompress(rows.data(), &size, stored.data(), stored.size()) != Z_OK)
        return CodecStatus::Damaged;
    rows.resize(size);
    return CodecStatus::Ok;
}

// Rows collected into one chunk, written compressed when zlib makes them fit, else as they are.
void writeChunk(ByteWriter& w, std::span<const std::uint8_t> rows, std::uint16_t chunkSize) {
    std::vector<std::uint8_t> packed(chunkSize);
    uLongf size = chunkSize;
    if (compress(packed.data(), &size, rows.data(), rows.size()) == Z_OK) {
        w.u16le(static_cast<std::uint16_t>(size));
        w.u8(1);
        w.bytes(std::span(packed).first(size));
        return;
    }
    w.u16le(static_cast<std::uint16_t>(rows.size()));
    w.u8(0);
    w.bytes(rows);
}

void writeTextBlock(ByteWriter& w) {
    w.i16le(0);
    w.i32le(static_cast<std::int32_t>(kText.size() + 1));
    w.i16le(kTextKind);
    w.text(kText);
    w.u8(0);
}

void writeTransparencyBlock(ByteWriter& w, std::span<const KpxTransparentEntry> list) {
    w.i32le(static_cast<std::int32_t>(list.size()));
    for (const KpxTransparentEntry& e : list)
        for (const std::int32_t v : {e.red, e.green, e.blue, e.tolerance, e.mode, e.seedX, e.seedY})
            w.i32le(v);
}

void patchEntry(std::vector<std::uint8_t>& out, std::size_t at, std::int16_t type,
                std::int32_t offset) {
    std::vector<std::uint8_t> entry;
    putEntry(entry, type, offset);
    std::copy(entry.begin(), entry.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace

std::uint32_t rowBytes(int width, int bits) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(std::max(width, 0)) *
                                           static_cast<std::uint64_t>(std::max(bits, 0)) +
                                       31) /
                                      32 * 4);
}

std::uint16_t chunkSizeFor(std::uint32_t s) {
    if (s < 200)
        return 4000;
    if (s <= 1600)
        return static_cast<std::uint16_t>(20 * s);
    return 32000;
}

bool hasMagic(std::span<const std::uint8_t> data) {
    return data.size() >= 8 && std::memcmp(data.data(), kMagic.data(), 8) == 0;
}

BmiIndex readIndex(std::span<const std::uint8_t> data) {
    BmiIndex index;
    if (data.size() >= 8 && !hasMagic(data)) {
        index.status = CodecStatus::Damaged;
        return index;
    }
    ByteReader in(data);
    in.skip(kMagic.size());
    index.width = in.i16le();
    index.height = in.i16le();
    const std::int16_t paletteFlag = in.i16le();
    index.bits = in.i16le();
    const std::int16_t version = in.i16le();
    const std::int16_t entries = in.i16le();
    if (in.truncated()) {
        index.status = CodecStatus::Truncated;
        return index;
    }
    if (version == 0 || entries < 0) {
        index.status = CodecStatus::Damaged;
        return index;
    }
    index.hasPalette = paletteFlag == 1 && paletteFollows(index.bits);
    if (index.hasPalette)
        index.status = readPalette(in, index.bits, index.palette);
    index.directoryStart = in.position();
    for (int i = 0; i < entries && index.status == CodecStatus::Ok; ++i) {
        DirectoryEntry entry;
        entry.type = in.i16le();
        entry.offset = in.i32le();
        if (in.truncated())
            index.status = CodecStatus::Truncated;
        else
            index.entries.push_back(entry);
    }
    return index;
}

ImageBlock readImageBlock(std::span<const std::uint8_t> data, std::size_t offset) {
    ImageBlock block;
    ByteReader in(data);
    in.skip(offset);
    block.width = in.i16le();
    block.height = in.i16le();
    block.bits = in.i16le();
    const std::int16_t paletteFlag = in.i16le();
    block.compressed = in.i16le() == 1;
    block.dataSize = in.i32le();
    block.chunkSize = in.u16le();
    if (in.truncated()) {
        block.status = CodecStatus::Truncated;
        return block;
    }
    if (block.width <= 0 || block.height <= 0 || !isDepth(block.bits) ||
        block.dataSize != dataSizeOf(block.width, block.height, block.bits) ||
        rowBytes(block.width, block.bits) > block.chunkSize) {
        block.status = CodecStatus::Damaged;
        return block;
    }
    block.hasPalette = paletteFlag == 1 && paletteFollows(block.bits);
    if (block.hasPalette)
        block.status = readPalette(in, block.bits, block.palette);
    block.chunksStart = in.position();
    return block;
}

TransparencyList readTransparency(std::span<const std::uint8_t> data, std::size_t offset) {
    TransparencyList list;
    ByteReader in(data);
    in.skip(offset);
    const std::int32_t count = in.i32le();
    if (in.truncated()) {
        list.status = CodecStatus::Truncated;
        return list;
    }
    // An image holds at most ten entries; any other count is no list the library wrote.
    if (count < 0 || count > kMaxTransparentEntries) {
        list.status = CodecStatus::Damaged;
        return list;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        KpxTransparentEntry e{};
        e.red = in.i32le();
        e.green = in.i32le();
        e.blue = in.i32le();
        e.tolerance = in.i32le();
        e.mode = in.i32le();
        e.seedX = in.i32le();
        e.seedY = in.i32le();
        list.entries.push_back(e);
    }
    if (in.truncated())
        list.status = CodecStatus::Truncated;
    return list;
}

std::optional<std::int32_t> readRotateAngle(std::span<const std::uint8_t> data,
                                            std::size_t offset) {
    ByteReader in(data);
    in.skip(offset);
    const std::int32_t angle = in.i32le();
    if (in.truncated())
        return std::nullopt;
    return angle;
}

CodecStatus decodeImageRows(std::span<const std::uint8_t> data, const ImageBlock& block,
                            RowSink& sink) {
    const std::size_t s = rowBytes(block.width, block.bits);
    if (sink.rowBuffer().size() < s)
        return CodecStatus::OutOfMemory;
    ByteReader in(data);
    in.skip(block.chunksStart);
    std::vector<std::uint8_t> chunk;
    std::size_t at = 0;
    for (int row = 0; row < block.height; ++row) {
        if (chunk.size() - at < s) {
            const CodecStatus read = readChunk(in, block.chunkSize, chunk);
            if (read != CodecStatus::Ok)
                return read;
            if (chunk.size() < s)
                return CodecStatus::Damaged;
            at = 0;
        }
        std::copy_n(chunk.begin() + static_cast<std::ptrdiff_t>(at), s, sink.rowBuffer().begin());
        at += s;
        if (!sink.rowDone(row))
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

std::uint64_t reachableRows(std::span<const std::uint8_t> data, const ImageBlock& block) {
    const std::uint64_t s = rowBytes(block.width, block.bits);
    if (s == 0 || block.chunksStart > data.size())
        return 0;
    const std::uint64_t chunks =
        (data.size() - block.chunksStart + kSmallestChunk - 1) / kSmallestChunk;
    return chunks * (block.chunkSize / s);
}

void putEntry(std::vector<std::uint8_t>& out, std::int16_t type, std::int32_t offset) {
    ByteWriter w(out);
    w.i16le(type);
    w.i32le(offset);
}

CodecStatus writeImageBlock(const Picture& picture, RowSource& rows,
                            std::vector<std::uint8_t>& out) {
    const std::uint32_t s = rowBytes(picture.width, picture.bits);
    const std::uint16_t chunkSize = chunkSizeFor(s);
    if (!isDepth(picture.bits) || picture.width <= 0 || picture.height <= 0 || s > chunkSize ||
        (paletteFollows(picture.bits) && !picture.palette))
        return CodecStatus::Unsupported;
    ByteWriter w(out);
    w.i16le(static_cast<std::int16_t>(picture.width));
    w.i16le(static_cast<std::int16_t>(picture.height));
    w.i16le(static_cast<std::int16_t>(picture.bits));
    w.i16le(paletteFollows(picture.bits) ? 1 : 0);
    w.i16le(1); // compressed
    w.i32le(dataSizeOf(picture.width, picture.height, picture.bits));
    w.u16le(chunkSize);
    if (paletteFollows(picture.bits))
        writePalette(w, picture.bits, picture.palette);
    const std::size_t rowsPerChunk = chunkSize / s;
    std::vector<std::uint8_t> collected;
    collected.reserve(rowsPerChunk * s);
    for (int row = 0; row < picture.height; ++row) {
        const auto fetched = rows.row(row);
        if (fetched.size() < s)
            return CodecStatus::Stopped;
        collected.insert(collected.end(), fetched.begin(), fetched.begin() + s);
        if (collected.size() / s == rowsPerChunk || row == picture.height - 1) {
            writeChunk(w, collected, chunkSize);
            collected.clear();
        }
    }
    return CodecStatus::Ok;
}

WrittenFile writeFile(const Picture& picture, RowSource& rows,
                      std::span<const KpxTransparentEntry> transparent, std::int32_t rotateAngle) {
    WrittenFile file;
    std::vector<std::uint8_t>& out = file.bytes;
    ByteWriter w(out);
    w.text(kMagic);
    w.i16le(static_cast<std::int16_t>(picture.width));
    w.i16le(static_cast<std::int16_t>(picture.height));
    w.i16le(paletteFollows(picture.bits) ? 1 : 0);
    w.i16le(static_cast<std::int16_t>(picture.bits));
    w.i16le(kVersion);
    w.i16le(kWrittenEntries);
    if (paletteFollows(picture.bits)) {
        if (!picture.palette) {
            file.status = CodecStatus::Unsupported;
            return file;
        }
        writePalette(w, picture.bits, picture.palette);
    }
    const std::size_t directory = out.size();
    w.zeros(kWrittenEntries * kEntryBytes);
    const auto text = static_cast<std::int32_t>(out.size());
    writeTextBlock(w);
    const auto transparency = static_cast<std::int32_t>(out.size());
    writeTransparencyBlock(w, transparent);
    const auto rotate = static_cast<std::int32_t>(out.size());
    w.i32le(rotateAngle);
    const auto image = static_cast<std::int32_t>(out.size());
    file.status = writeImageBlock(picture, rows, out);
    if (file.status != CodecStatus::Ok)
        return file;
    const auto end = static_cast<std::int32_t>(out.size());
    const std::pair<std::int16_t, std::int32_t> entries[kWrittenEntries] = {
        {kTextBlock, text},     {kTransparencyBlock, transparency},
        {kRotateBlock, rotate}, {kImageBlock, image},
        {kTextBlock, text},     {kEndOfData, end}};
    for (std::size_t i = 0; i < std::size(entries); ++i)
        patchEntry(out, directory + i * kEntryBytes, entries[i].first, entries[i].second);
    file.spareSlot = static_cast<std::int32_t>(directory + 4 * kEntryBytes);
    return file;
}

} // namespace kpx::bmi
