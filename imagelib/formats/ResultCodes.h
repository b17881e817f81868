#pragma once
// The result codes that codecs, dispatchers and the internal load and save routines report, and
// the error values of the stream readers.

#include <cstdint>
#include <exception>

#include "Bitra5Testing.h" // KpxResult

constexpr KpxResult kKpxOk = 0;
constexpr KpxResult kKpxCannotOpen = 1; // the file cannot be opened
constexpr KpxResult kKpxBadData = 2;    // not the expected format, damaged or unsupported data
constexpr KpxResult kKpxReadError = 3;  // the file ends inside a structure
constexpr KpxResult kKpxOutOfMemory = 4;
constexpr KpxResult kKpxCannotCreate = 5; // the output file cannot be created
constexpr KpxResult kKpxWriteError = 6;
constexpr KpxResult kKpxStopped = 8;     // a row callback asked to stop
constexpr KpxResult kKpxNotWritable = 9; // the target is a file the user may not write

// Error values of the stream readers, kept as the calling thread's last error code.
enum BitraError : std::int32_t {
    kBitraNoError = 0,
    kBitraOutOfMemory = 2,
    kBitraBadArgument = 3, // a missing path, stream or mode, or a bad header
    kBitraUnsupportedColorSpace = 5,
    kBitraCannotOpen = 100,
    kBitraReadError = 101, // read error or truncated data
    kBitraNotRecognised = 103,
    kBitraUnusable = 104, // unusable data, or the reader was stopped through its progress callback
};

// Raised inside the library by the stream readers; never leaves it.
class BitraException : public std::exception {
public:
    explicit BitraException(BitraError code) : code_(code) {}
    BitraError code() const { return code_; }
    const char* what() const noexcept override { return "Bitra5 stream reader error"; }

private:
    BitraError code_;
};
