#include "ByteStream.h"

#include "LibraryShared.h"
#include "ResultCodes.h"

#include <algorithm>
#include <cstring>

std::int64_t KpxMemoryStream::read(void* buffer, std::uint32_t count) {
    if (!buffer)
        return -1;
    const std::size_t left = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
    const std::size_t n = std::min<std::size_t>(count, left);
    if (n)
        std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return static_cast<std::int64_t>(n);
}

std::int64_t KpxMemoryStream::write(const void* data, std::uint32_t count) {
    if (!data)
        return -1;
    if (position_ + count > bytes_.size())
        bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, data, count);
    position_ += count;
    return count;
}

std::int64_t KpxMemoryStream::seek(std::int64_t offset, int origin) {
    std::int64_t base = 0;
    if (origin == SEEK_CUR)
        base = static_cast<std::int64_t>(position_);
    else if (origin == SEEK_END)
        base = size();
    else if (origin != SEEK_SET)
        return -1;
    const std::int64_t target = base + offset;
    if (target < 0)
        return -1;
    position_ = static_cast<std::size_t>(target);
    return target;
}

namespace {

KpxStream* fileStream(KpxStreamCallbacks* calls) {
    return reinterpret_cast<KpxStream*>(calls);
}

} // namespace

std::uint32_t KpxStreamRead(KpxStreamCallbacks* stream, void* buffer, std::uint32_t count) {
    if (!stream || !fileStream(stream)->file || !buffer)
        return 0;
    return static_cast<std::uint32_t>(std::fread(buffer, 1, count, fileStream(stream)->file));
}

std::uint32_t KpxStreamWrite(KpxStreamCallbacks* stream, const void* data, std::uint32_t count) {
    if (!stream || !fileStream(stream)->file || !data)
        return 0;
    return static_cast<std::uint32_t>(std::fwrite(data, 1, count, fileStream(stream)->file));
}

std::int32_t KpxStreamSeek(KpxStreamCallbacks* stream, std::int32_t offset, std::int32_t origin) {
    if (stream && fileStream(stream)->file)
        std::fseek(fileStream(stream)->file, offset, origin);
    return 0;
}

std::int32_t KpxStreamTell(KpxStreamCallbacks* stream) {
    if (!stream || !fileStream(stream)->file)
        return 0;
    return static_cast<std::int32_t>(std::ftell(fileStream(stream)->file));
}

int KpxOpenFileStream(const char* path, const char* mode, std::int32_t offset, KpxStream* stream) {
    if (!path || !mode || !stream) {
        kpx::setLastError(kBitraBadArgument);
        return 0;
    }
    *stream = KpxStream{};
    FILE* file = std::fopen(path, mode);
    if (!file) {
        kpx::setLastError(kBitraCannotOpen);
        return 0;
    }
    std::fseek(file, offset, SEEK_SET);
    stream->calls = {KpxStreamRead, KpxStreamWrite, KpxStreamSeek, KpxStreamTell};
    stream->file = file;
    kpx::setLastError(kBitraNoError);
    return 1;
}

int KpxCloseFileStream(KpxStream* stream) {
    if (!stream || !stream->file) {
        kpx::setLastError(kBitraBadArgument);
        return 0;
    }
    std::fclose(stream->file);
    *stream = KpxStream{};
    kpx::setLastError(kBitraNoError);
    return 1;
}

std::uint32_t KpxOleStreamTell(KpxByteStream* stream) {
    if (!stream)
        return 0;
    return static_cast<std::uint32_t>(stream->seek(0, SEEK_CUR));
}

std::int64_t KpxOleStreamSeek(KpxByteStream* stream, int origin, std::int64_t offset) {
    return stream ? stream->seek(offset, origin) : -1;
}

int KpxOleStreamGetc(KpxByteStream* stream) {
    std::uint8_t byte = 0;
    if (!stream || stream->read(&byte, 1) != 1)
        return 0;
    return byte;
}

int KpxOleStreamPutc(KpxByteStream* stream, int byte) {
    const auto value = static_cast<std::uint8_t>(byte);
    return stream && stream->write(&value, 1) == 1 ? 1 : 0;
}

namespace kpx {

std::int64_t CallbackByteStream::read(void* buffer, std::uint32_t count) {
    if (!calls_ || !calls_->read)
        return -1;
    return calls_->read(calls_, buffer, count);
}

std::int64_t CallbackByteStream::write(const void* data, std::uint32_t count) {
    if (!calls_ || !calls_->write)
        return -1;
    return calls_->write(calls_, data, count);
}

std::int64_t CallbackByteStream::seek(std::int64_t offset, int origin) {
    if (!calls_ || !calls_->seek || !calls_->tell)
        return -1;
    calls_->seek(calls_, static_cast<std::int32_t>(offset), origin);
    return calls_->tell(calls_);
}

std::int64_t CallbackByteStream::size() const {
    if (!calls_ || !calls_->seek || !calls_->tell)
        return -1;
    const std::int32_t here = calls_->tell(calls_);
    calls_->seek(calls_, 0, SEEK_END);
    const std::int32_t end = calls_->tell(calls_);
    calls_->seek(calls_, here, SEEK_SET);
    return end;
}

} // namespace kpx
