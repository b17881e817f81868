#include "TiffWriter.h"

#include "EncoderRows.h"
#include "TiffCodec.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

using kpx::CodecStatus;

kpx::tiff::TiffEncodeOptions optionsFor(const KpxCodecContext& context, int depth) {
    kpx::tiff::TiffEncodeOptions options;
    options.width = static_cast<std::uint32_t>(std::max<int>(context.width, 0));
    options.height = static_cast<std::uint32_t>(std::max<int>(context.height, 0));
    options.depth = depth <= 8 ? depth : 24;
    options.saveOption = context.saveOption;
    options.jpegQuality = context.saveOption2;
    if (depth <= 8)
        for (int i = 0; i < (1 << depth); ++i)
            options.palette.push_back(
                {context.palette[i][0], context.palette[i][1], context.palette[i][2]});
    return options;
}

KpxResult resultOf(CodecStatus status) {
    switch (status) {
    case CodecStatus::Ok:
        return kKpxOk;
    case CodecStatus::Stopped:
        return kKpxStopped;
    case CodecStatus::OutOfMemory:
        return kKpxOutOfMemory;
    default:
        return kKpxWriteError;
    }
}

KpxResult writeTiff(int fd, const char* path, const KpxCodecContext& context,
                    KpxProgressProc progress) {
    kpx::EncoderRows rows(context, progress, kpx::EncoderRows::Form::PackedOrBgr);
    const int depth = rows.depth();
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        return kKpxWriteError;
    const std::unique_ptr<kpx::tiff::TiffFile> file =
        kpx::tiff::TiffFile::writeToDescriptor(fd, path);
    if (!file)
        return kKpxCannotCreate;
    const KpxResult result =
        resultOf(kpx::tiff::encode(file->handle(), optionsFor(context, depth), rows));
    if (result != kKpxOk)
        return result;
    return file->finish() ? kKpxOk : kKpxWriteError;
}

} // namespace

KpxResult KpxTiffSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                      const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return kKpxCannotCreate;
    KpxResult result = writeTiff(fd, path, *context, progress);
    if (::close(fd) != 0 && result == kKpxOk)
        result = kKpxWriteError;
    // A file that was not written whole does not stay.
    if (result != kKpxOk)
        std::remove(path);
    return result;
}
