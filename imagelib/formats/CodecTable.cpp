// The codecs built into the library. A codec joins by adding its entry here:
//     {formatId, info, load, save, streamInfo, streamLoad, streamSave, readStream},
// with null for the routines it does not have.

#include "FormatDispatch.h"
#include "GifEncoder.h"

namespace {

constexpr KpxCodecEntry kBuiltInCodecs[] = {
    {20, nullptr, nullptr, KpxGifSave, nullptr, nullptr, nullptr, nullptr},
};

} // namespace

namespace kpx {

CodecTableView builtInCodecs() {
    return {kBuiltInCodecs, static_cast<int>(sizeof kBuiltInCodecs / sizeof kBuiltInCodecs[0])};
}

} // namespace kpx
