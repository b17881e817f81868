#pragma once
// The vector format table and the vector picture handles.

#include <atomic>
#include <cstdint>
#include <vector>

#include "Bitra5.h"

namespace kpx {
// Vector format ids of the table.
constexpr std::int32_t kVectorWmf = 1010;
constexpr std::int32_t kVectorKvp = 1030;
constexpr std::int32_t kVectorKtf = 1040;
constexpr std::int32_t kVectorKtfStorage = 1041;
constexpr std::int32_t kVectorCdr = 1060;
constexpr std::int32_t kVectorEps = 1090;
constexpr std::int32_t kVectorAi = 1100;
constexpr std::int32_t kVectorCmx = 1130;

// Builds the format entries and the import and export orders; the orders leave out the formats
// of the outside import filter when its file lies beside the program.
void initVectorFormats(HINSTANCE resources);
// Frees the pictures still alive.
void exitVectorFormats();
// The bytes of a file from offset on (at most 64 MB); empty when it cannot be read.
std::vector<std::uint8_t> readFileFrom(const char* path, std::int32_t offset);
// Takes a busy flag, waiting up to 200 x 25 ms while another call holds it; false when it stays
// taken.
bool takeBusyFlag(std::atomic<bool>& flag);
// A vector picture of the Windows metafile (placeable or plain) held in the bytes; 0 when they
// are none.
KdrHandle loadWmfFromBytes(std::vector<std::uint8_t> bytes);
} // namespace kpx
