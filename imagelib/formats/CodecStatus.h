#pragma once
// The outcome of a codec's span-level work (block scanning, decoding, encoding), and its one
// translation to the result codes the library's entry points report.

#include "ResultCodes.h"

namespace kpx {

enum class CodecStatus {
    Ok,          // the data was read or written completely
    Damaged,     // no signature, a bad code, a missing terminator: data the decoder cannot follow
    Truncated,   // the data ends inside a structure (a colour table, an image descriptor)
    OutOfMemory, // a table or buffer could not be allocated
    Unsupported, // the encoder cannot write what it is given (a depth or index out of range)
    Stopped,     // a row sink or source asked to stop
};

// An unsupported depth or index has always been reported with the out-of-memory code; callers
// rely on that, so the two statuses share it.
constexpr KpxResult toResult(CodecStatus status) {
    switch (status) {
    case CodecStatus::Ok:
        return kKpxOk;
    case CodecStatus::Damaged:
        return kKpxBadData;
    case CodecStatus::Truncated:
        return kKpxReadError;
    case CodecStatus::OutOfMemory:
    case CodecStatus::Unsupported:
        return kKpxOutOfMemory;
    case CodecStatus::Stopped:
        return kKpxStopped;
    }
    return kKpxBadData;
}

// The rule of the load entry points of the still-image codecs once a header has been accepted:
// pixel data the decoder cannot follow, or that ends early, is a read error.
constexpr KpxResult toLoadResult(CodecStatus status) {
    switch (status) {
    case CodecStatus::Ok:
        return kKpxOk;
    case CodecStatus::Stopped:
        return kKpxStopped;
    case CodecStatus::OutOfMemory:
        return kKpxOutOfMemory;
    default:
        return kKpxReadError;
    }
}

} // namespace kpx
