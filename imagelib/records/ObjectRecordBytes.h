#pragma once
// The stored byte form of the four object records: fixed sizes, little-endian fields at fixed
// offsets, pointer and handle slots written as four zero bytes. GIF extension blocks, the
// clipboard block and the BMI format all write and read the records through these functions.
//
// The texts, the metafile bytes and the NP-image arrays travel beside the record, so a reader
// leaves them empty and the caller fills them from what follows the record. Texts are bytes in
// the Windows code page of the record's character set and are never converted here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ObjectRecords.h"

namespace kfm::records {

inline constexpr std::size_t kTextObjectRecordSize = 148;
inline constexpr std::size_t kControlObjectRecordSize = 104;
inline constexpr std::size_t kVectorObjectRecordSize = 100;
inline constexpr std::size_t kNPImageObjectRecordSize = 64;

using TextRecordBytes = std::array<std::uint8_t, kTextObjectRecordSize>;
using ControlRecordBytes = std::array<std::uint8_t, kControlObjectRecordSize>;
using VectorRecordBytes = std::array<std::uint8_t, kVectorObjectRecordSize>;
using NPImageRecordBytes = std::array<std::uint8_t, kNPImageObjectRecordSize>;

// Readers take the record from the first bytes of the input: a longer input is cut at the record
// size, a shorter one reads as if the missing bytes were zero (as GIF readers must treat a short
// first sub-block). Reserved bytes keep what they hold in both directions.

TextRecordBytes writeTextObjectRecord(const TextObjectRecord& record);
// The text stays unset; it follows the record.
TextObjectRecord readTextObjectRecord(std::span<const std::uint8_t> bytes);

ControlRecordBytes writeControlObjectRecord(const ControlObjectRecord& record);
// Text and caption stay unset; they follow the record.
ControlObjectRecord readControlObjectRecord(std::span<const std::uint8_t> bytes);

VectorRecordBytes writeVectorObjectRecord(const VectorObjectRecord& record);
// The metafile stays empty; its bytes follow the record.
VectorObjectRecord readVectorObjectRecord(std::span<const std::uint8_t> bytes);

// The NP-image record's arrays by their stored number: 0 the 24-bit pixels, 1 their alpha,
// 2 the mask pixels, 3 the 8-bit pixels, 4 the palette of array 3.
inline constexpr int kNPImageArrayCount = 5;

// The counts stored in the record: bytes for arrays 0 to 3, 32-bit entries for the palette.
struct NPImageArraySizes {
    std::array<std::uint32_t, kNPImageArrayCount> counts{};

    // Bytes that array `index` takes beside the record (the palette takes four per entry).
    std::uint64_t byteCount(int index) const;
    // The arrays that travel beside the record, in their order: 0, 1 and 2 when not empty,
    // then, only when array 3 is not empty, 3 and the palette (when not empty).
    std::vector<int> storedOrder() const;
};

// The counts of an NP-image record in memory.
NPImageArraySizes npImageArraySizes(const NPImageObjectRecord& record);

// Empty when an array is too large for the record's 32-bit signed counts.
std::optional<NPImageRecordBytes> writeNPImageObjectRecord(const NPImageObjectRecord& record);

struct StoredNPImageRecord {
    NPImageObjectRecord record; // every array empty
    NPImageArraySizes sizes;    // the counts as stored, for reading the arrays that follow
};
StoredNPImageRecord readNPImageObjectRecord(std::span<const std::uint8_t> bytes);

// The bytes of one array as they travel beside the record (the palette little-endian).
std::vector<std::uint8_t> npImageArrayBytes(const NPImageObjectRecord& record, int index);
// Stores the bytes of one array read from beside the record. For the palette, a trailing
// partial entry is dropped. An index outside 0..4 changes nothing.
void setNPImageArray(NPImageObjectRecord& record, int index, std::span<const std::uint8_t> bytes);

} // namespace kfm::records
