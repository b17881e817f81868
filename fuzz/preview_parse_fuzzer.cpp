// Fuzz target of the previews that vector and document files carry. The first byte chooses the
// road (byte % 5):
//   0  the RIFF drawing walk, and the image of the packed DIB it finds
//   1  the EPS search, then the EPSI or Illustrator decoder on what it found
//   2  the EPSI and Illustrator decoders on the first line
//   3  the kvp decoder, the KTF header and the zip member search
//   4  the whole preview of a file whose extension the second byte chooses
// Every decoded bitmap must have exactly the rows and colours its size and depth call for.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <unistd.h>

#include "Bitra5.h"
#include "MemoryFile.h"
#include "PreviewParsers.h"
#include "memory/GlobalMemory.h"

namespace {

namespace preview = kpx::preview;

void check(const std::optional<preview::PreviewBitmap>& bitmap) {
    if (!bitmap)
        return;
    const auto& b = *bitmap;
    if (b.width < 1 || b.width > 500 || b.height < 1 || b.height > 500 ||
        (b.depth != 1 && b.depth != 4 && b.depth != 8) ||
        b.rows.size() != b.rowBytes() * static_cast<std::size_t>(b.height) ||
        b.palette.size() > (std::size_t{3} << b.depth))
        std::abort();
}

void imageOfDib(const std::vector<std::uint8_t>& dib) {
    if (dib.empty())
        return;
    if (dib.size() > preview::kMaxPreviewBytes)
        std::abort();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    if (void* memory = GlobalLock(block)) {
        std::memcpy(memory, dib.data(), dib.size());
        GlobalUnlock(block);
        KPXDeleteImage(KPXCreateImageFromGlobal(block));
    }
    GlobalFree(block);
}

// Names with each extension of the previews, all reaching the fuzz input's in-memory file.
class NamedFiles {
public:
    NamedFiles() : file_("preview_fuzz") {
        folder_ =
            std::filesystem::temp_directory_path() / ("preview_fuzz_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    ~NamedFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string write(std::span<const std::uint8_t> bytes, const char* extension) {
        const char* target = file_.write(bytes);
        if (!target)
            return {};
        const auto link = folder_ / (std::string("input") + extension);
        std::error_code error;
        if (!std::filesystem::is_symlink(link, error))
            std::filesystem::create_symlink(target, link, error);
        return error ? std::string() : link.string();
    }

private:
    MemoryFile file_;
    std::filesystem::path folder_;
};

// Metafile text needs the font database, which needs a GUI application.
void ensureApplication() {
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "preview_parse_fuzzer";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

constexpr const char* kExtensions[] = {".cdr", ".cmx", ".eps", ".ai", ".kvp", ".ktf", ".wmf"};

} // namespace

// fontconfig keeps its configuration caches to the end of the process.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint8_t road = data[0] % 5;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    kpx::SpanSource source(rest);
    switch (road) {
    case 0:
        imageOfDib(preview::riffPreviewDib(source));
        break;
    case 1: {
        const preview::EpsPreview found = preview::findEpsPreview(source);
        if (found.offset > rest.size() || found.length > rest.size() - found.offset)
            std::abort();
        if (found.kind == preview::EpsKind::Epsi)
            check(preview::decodeEpsi(source, found.offset));
        if (found.kind == preview::EpsKind::AiThumbnail)
            check(preview::decodeAiThumbnail(source, found.offset));
        break;
    }
    case 2:
        check(preview::decodeEpsi(source, 0));
        check(preview::decodeAiThumbnail(source, 0));
        break;
    case 3: {
        check(preview::decodeKvp(source));
        const preview::KtfPreview ktf = preview::findKtfPreview(source);
        if (ktf.bmpOffset >= rest.size() && ktf.bmpOffset != 0)
            std::abort();
        imageOfDib(preview::zipPreviewDib(source));
        break;
    }
    default: {
        ensureApplication();
        static NamedFiles files;
        const std::string path =
            files.write(rest.subspan(1), kExtensions[rest[0] % std::size(kExtensions)]);
        if (!path.empty())
            KPXDeleteImage(KDRLoadImagePreviewOffset(path.c_str(), 0, 16, 12, 0));
        break;
    }
    }
    return 0;
}
