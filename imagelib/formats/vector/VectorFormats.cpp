#include "VectorFormats.h"

#include "Bitra5ResourceIds.h"
#include "FormatSniffing.h"
#include "clipboard/Clipboard.h"
#include "debug/DebugOutput.h"
#include "memory/GlobalMemory.h"
#include "metafile/EnhMetafile.h"
#include "metafile/PlaceableHeader.h"
#include "metafile/WinMetafile.h"
#include "metafile/WmfToEmf.h"
#include "resources/ResourceLibrary.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using kpx::kVectorKtf;
using kpx::kVectorKvp;
using kpx::kVectorWmf;

struct VectorRow {
    const char* extension;
    std::int32_t formatId;
    unsigned nameId;
};

constexpr VectorRow kRows[] = {
    {".wmf", 1010, bitra5res::IDS_VECTOR_WMF},         {".emf", 1020, bitra5res::IDS_VECTOR_EMF},
    {".kvp", 1030, bitra5res::IDS_VECTOR_KVP},         {".ktf", 1040, bitra5res::IDS_VECTOR_KTF},
    {".ktf", 1041, bitra5res::IDS_VECTOR_KTF_STORAGE}, {".kwe", 1050, bitra5res::IDS_VECTOR_KWE},
    {".cdr", 1060, bitra5res::IDS_VECTOR_CDR},         {".dxf", 1070, bitra5res::IDS_VECTOR_DXF},
    {".plt", 1080, bitra5res::IDS_VECTOR_PLT},         {".hgl", 1081, bitra5res::IDS_VECTOR_HGL},
    {".eps", 1090, bitra5res::IDS_VECTOR_EPS},         {".ai", 1100, bitra5res::IDS_VECTOR_AI},
    {".pdf", 1110, bitra5res::IDS_VECTOR_PDF},         {".dwg", 1120, bitra5res::IDS_VECTOR_DWG},
    {".cmx", 1130, bitra5res::IDS_VECTOR_CMX},
};
constexpr int kRowCount = static_cast<int>(std::size(kRows));
constexpr char kImportFilterFile[] = "IMPSI2.FLT";
constexpr std::size_t kMaxVectorFileBytes = std::size_t{64} << 20;

struct Tables {
    KpxFormatEntry entries[kRowCount] = {};
    std::vector<int> importOrder; // row indexes
    std::vector<int> exportOrder;
    char placeableDescription[51] = {};
    char plainDescription[51] = {};
};
Tables& tables() {
    static Tables t;
    return t;
}

// A loaded Windows metafile: its records (without a placeable header) and its size.
struct WmfData {
    bool hasSize = false;
    float widthMm = 0;
    float heightMm = 0;
    std::vector<std::uint8_t> bits;
};

struct VectorNode {
    std::int32_t formatId = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t extra = 0;
    WmfData wmf;
};

std::mutex nodesLock;
std::map<KdrHandle, std::unique_ptr<VectorNode>>& nodes() {
    static std::map<KdrHandle, std::unique_ptr<VectorNode>> n;
    return n;
}
std::atomic<bool> loadBusy{false};
std::atomic<int> libraryReferences{0};

int rowOfId(std::int32_t id) {
    for (int i = 0; i < kRowCount; ++i)
        if (kRows[i].formatId == id)
            return i;
    return -1;
}

std::vector<int> rowsOf(std::initializer_list<std::int32_t> ids) {
    std::vector<int> rows;
    for (const std::int32_t id : ids)
        rows.push_back(rowOfId(id));
    return rows;
}

bool importFilterPresent() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return !error && std::filesystem::exists(program.parent_path() / kImportFilterFile, error);
}

std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return u16(b, at) | (static_cast<std::uint32_t>(u16(b, at + 2)) << 16);
}

bool isPlaceable(const std::vector<std::uint8_t>& b) {
    return kfm::metafile::readPlaceableBox(b).has_value();
}
bool isPlainMetafile(const std::vector<std::uint8_t>& b) {
    return b.size() >= 6 && u16(b, 0) == 1 && u16(b, 4) == 0x0300;
}
bool isKvp(const std::vector<std::uint8_t>& b) {
    return b.size() >= 4 && u16(b, 0) == 666 && u16(b, 2) >= 1 && u16(b, 2) <= 5;
}
bool isPlainKtf(const std::vector<std::uint8_t>& b) {
    return b.size() >= 92 && u32(b, 4) == 0xD4015ADDu && u32(b, 8) == 0x12345678u;
}

std::int32_t formatOfContent(const std::vector<std::uint8_t>& head, std::int32_t byExtension) {
    if (isPlaceable(head) || isPlainMetafile(head))
        return kVectorWmf;
    if (isKvp(head))
        return kVectorKvp;
    if (isPlainKtf(head))
        return kVectorKtf;
    return byExtension;
}

std::vector<std::uint8_t> readHead(const char* path, std::int32_t offset, std::size_t size) {
    std::vector<std::uint8_t> head(size);
    std::ifstream in(path, std::ios::binary);
    if (!in || offset < 0 || !in.seekg(offset))
        return {};
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(size));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

std::int32_t fileSizeFrom(const char* path, std::int32_t offset) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || static_cast<std::uintmax_t>(offset) > size)
        return 0;
    return static_cast<std::int32_t>(std::min<std::uintmax_t>(size - offset, INT32_MAX));
}

// The info of a Windows metafile from its first bytes; false when they are none.
bool wmfInfo(const std::vector<std::uint8_t>& head, KdrFileInfo& info) {
    if (isPlaceable(head)) {
        const auto box = kfm::metafile::readPlaceableBox(head);
        info.width = std::abs(box->right - box->left);
        info.height = std::abs(box->bottom - box->top);
        info.extra = box->unitsPerInch;
        std::strncpy(info.description, tables().placeableDescription, sizeof info.description - 1);
        return true;
    }
    if (isPlainMetafile(head)) {
        std::strncpy(info.description, tables().plainDescription, sizeof info.description - 1);
        return true;
    }
    return false;
}

void defaultInfo(std::int32_t id, std::int32_t fileSize, KdrFileInfo& info) {
    std::memset(&info, 0, sizeof info);
    info.formatId = id;
    info.fileSize = fileSize;
    info.width = 299;
    info.height = 299;
    if (id == kVectorKvp)
        info.extra = 1;
}

// The info step of a format; false when the file is not of it.
bool formatInfo(const char* path, std::int32_t offset, std::int32_t id, KdrFileInfo& info) {
    defaultInfo(id, fileSizeFrom(path, offset), info);
    return id != kVectorWmf ||
           wmfInfo(readHead(path, offset, kfm::metafile::kPlaceableHeaderSize), info);
}

// Keeps the records of a Windows metafile and its size in millimetres (a plain metafile has
// none: its records give its size when it is drawn).
bool keepWmf(std::vector<std::uint8_t> bytes, VectorNode& node) {
    const bool placeable = isPlaceable(bytes);
    if (placeable)
        bytes.erase(bytes.begin(), bytes.begin() + kfm::metafile::kPlaceableHeaderSize);
    if (!isPlainMetafile(bytes))
        return false;
    node.wmf.bits = std::move(bytes);
    if (placeable && node.extra > 0) {
        node.wmf.widthMm = static_cast<float>(node.width * 25.4 / node.extra);
        node.wmf.heightMm = static_cast<float>(node.height * 25.4 / node.extra);
        node.wmf.hasSize = !(node.wmf.widthMm == 299.0f && node.wmf.heightMm == 299.0f);
    }
    return true;
}

std::unique_ptr<VectorNode> wmfNode(const KdrFileInfo& info) {
    auto node = std::make_unique<VectorNode>();
    node->formatId = info.formatId;
    node->width = info.width;
    node->height = info.height;
    node->extra = info.extra;
    return node;
}

KdrHandle addNode(std::unique_ptr<VectorNode> node) {
    const std::lock_guard guard(nodesLock);
    auto& all = nodes();
    KdrHandle id = 1;
    for (const auto& [used, _] : all) {
        if (used != id)
            break;
        ++id;
    }
    if (id <= 0)
        return 0;
    all.emplace(id, std::move(node));
    return id;
}

// Runs f on the node of the handle under the list's lock; fallback when there is none.
template <typename F, typename R> R withNode(KdrHandle image, R fallback, F f) {
    const std::lock_guard guard(nodesLock);
    const auto found = nodes().find(image);
    return found == nodes().end() ? fallback : f(*found->second);
}

int saveWmf(const WmfData& wmf, const char* path) {
    std::vector<std::uint8_t> out;
    if (wmf.hasSize) {
        // Hundredths of a millimetre to thousandths of an inch, halved into the header's range.
        long right = std::lround(wmf.widthMm * 100.0 * 1000.0 * 0.0003937008);
        long bottom = std::lround(wmf.heightMm * 100.0 * 1000.0 * 0.0003937008);
        while (right > 32000 || bottom > 32000) {
            right /= 2;
            bottom /= 2;
        }
        kfm::metafile::WmfPlaceableBox box;
        box.right = static_cast<int>(right);
        box.bottom = static_cast<int>(bottom);
        box.unitsPerInch = 1000;
        out = kfm::metafile::placeableHeaderOf(box);
    }
    // Without a size the records are written as a plain metafile rather than under an empty box.
    out.insert(out.end(), wmf.bits.begin(), wmf.bits.end());
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return 0;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written ? 1 : 0;
}

// The picture's metafile size: 0.01 mm, 0 and 0 when it has none.
METAFILEPICT pictureSizeOf(const WmfData& wmf) {
    METAFILEPICT picture{MM_ANISOTROPIC, 0, 0, nullptr};
    if (wmf.hasSize) {
        picture.xExt = static_cast<LONG>(std::lround(wmf.widthMm * 100.0));
        picture.yExt = static_cast<LONG>(std::lround(wmf.heightMm * 100.0));
    }
    return picture;
}

int drawWmf(HDC dc, const WmfData& wmf, int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top)
        return 0;
    const METAFILEPICT size = pictureSizeOf(wmf);
    HENHMETAFILE metafile =
        SetWinMetaFileBits(static_cast<UINT>(wmf.bits.size()), wmf.bits.data(), nullptr, &size);
    if (!metafile)
        return 0;
    const RECT rect{left, top, right - 1, bottom - 1};
    const BOOL played = PlayEnhMetaFile(dc, metafile, &rect);
    DeleteEnhMetaFile(metafile);
    return played ? 1 : 0;
}

// The metafile picture of a Windows metafile, with a new metafile the caller owns.
bool metafilePictureOf(const WmfData& wmf, METAFILEPICT& picture) {
    const HMETAFILE metafile =
        SetMetaFileBitsEx(static_cast<UINT>(wmf.bits.size()), wmf.bits.data());
    if (!metafile)
        return false;
    picture = pictureSizeOf(wmf);
    picture.hMF = metafile;
    return true;
}

// Hands the picture to the clipboard, which then owns it; false when it did not take it.
bool putOnClipboard(HWND window, const METAFILEPICT& picture, bool emptyFirst) {
    if (!OpenClipboard(window))
        return false;
    if (emptyFirst)
        EmptyClipboard();
    const HGLOBAL block = kfm::clipboard::blockOfMetafilePicture(picture);
    const bool taken = block && SetClipboardData(CF_METAFILEPICT, block);
    if (block && !taken)
        GlobalFree(block);
    CloseClipboard();
    return taken;
}

// A node of the clipboard's metafile picture: its records and its extents as the size.
std::unique_ptr<VectorNode> nodeOfPictureBlock(HGLOBAL block) {
    const auto found = block ? kfm::clipboard::metafilePictureInBlock(block) : std::nullopt;
    if (!found)
        return nullptr;
    const METAFILEPICT& picture = *found;
    const UINT size = GetMetaFileBitsEx(picture.hMF, 0, nullptr);
    if (size == 0)
        return nullptr;
    auto node = std::make_unique<VectorNode>();
    node->formatId = kVectorWmf;
    node->width = picture.xExt;
    node->height = picture.yExt;
    node->wmf.bits.resize(size);
    GetMetaFileBitsEx(picture.hMF, size, node->wmf.bits.data());
    // A picture without a size (extents 0, or negative ones that give only the aspect ratio)
    // stays without one, so that it is saved plain rather than under an empty box.
    node->wmf.hasSize = picture.xExt > 0 && picture.yExt > 0;
    if (node->wmf.hasSize) {
        node->wmf.widthMm = static_cast<float>(picture.xExt / 100.0);
        node->wmf.heightMm = static_cast<float>(picture.yExt / 100.0);
    }
    return node;
}

int enumerate(const std::vector<int>& order, int index, KpxFormatEntry* entry) {
    if (index < 0 || static_cast<std::size_t>(index) >= order.size() || !entry)
        return 0;
    *entry = tables().entries[order[static_cast<std::size_t>(index)]];
    return 1;
}

} // namespace

namespace kpx {

void initVectorFormats(HINSTANCE resources) {
    Tables& t = tables();
    for (int i = 0; i < kRowCount; ++i) {
        KpxFormatEntry& entry = t.entries[i];
        std::memset(&entry, 0, sizeof entry);
        std::strncpy(entry.extension, kRows[i].extension, sizeof entry.extension - 1);
        entry.formatId = kRows[i].formatId;
        char name[260] = {};
        LoadStringA(resources, kRows[i].nameId, name, sizeof name);
        std::strncpy(entry.name, name, sizeof entry.name - 1);
    }
    LoadStringA(resources, bitra5res::IDS_WMF_PLACEABLE, t.placeableDescription,
                sizeof t.placeableDescription);
    LoadStringA(resources, bitra5res::IDS_WMF_PLAIN, t.plainDescription, sizeof t.plainDescription);
    t.importOrder = rowsOf({1010, 1020, 1041, 1070, 1080, 1081});
    t.exportOrder = t.importOrder;
    if (importFilterPresent()) {
        const auto more = rowsOf({1030, 1040, 1050, 1060, 1120, 1130});
        t.importOrder.insert(t.importOrder.end(), more.begin(), more.end());
    } else {
        const auto more = rowsOf({1090, 1100, 1030, 1040, 1050, 1060, 1120, 1130});
        t.importOrder.insert(t.importOrder.end(), more.begin(), more.end());
        const auto exports = rowsOf({1090, 1100, 1110});
        t.exportOrder.insert(t.exportOrder.end(), exports.begin(), exports.end());
    }
}

void exitVectorFormats() {
    const std::lock_guard guard(nodesLock);
    if (!nodes().empty())
        kfm::debug::printf("KDR32: Free %d images !\n", static_cast<int>(nodes().size()));
    nodes().clear();
}

std::vector<std::uint8_t> readFileFrom(const char* path, std::int32_t offset) {
    if (!path || offset < 0)
        return {};
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    const std::streamoff size = in.tellg();
    if (size <= offset || static_cast<std::size_t>(size - offset) > kMaxVectorFileBytes)
        return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size - offset));
    in.seekg(offset);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return {};
    return bytes;
}

bool takeBusyFlag(std::atomic<bool>& flag) {
    for (int i = 0; i < 200; ++i) {
        bool expected = false;
        if (flag.compare_exchange_strong(expected, true))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

KdrHandle loadWmfFromBytes(std::vector<std::uint8_t> bytes) {
    KdrFileInfo info{};
    defaultInfo(kVectorWmf,
                static_cast<std::int32_t>(std::min<std::size_t>(bytes.size(), INT32_MAX)), info);
    if (bytes.size() > kMaxVectorFileBytes || !wmfInfo(bytes, info))
        return 0;
    auto node = wmfNode(info);
    return keepWmf(std::move(bytes), *node) ? addNode(std::move(node)) : 0;
}

} // namespace kpx

int KDRCountImportFormats() {
    return static_cast<int>(tables().importOrder.size());
}
int KDRCountExportFormats() {
    return static_cast<int>(tables().exportOrder.size());
}
int KDREnumerateImportFormats(int index, KpxFormatEntry* entry) {
    return enumerate(tables().importOrder, index, entry);
}
int KDREnumerateExportFormats(int index, KpxFormatEntry* entry) {
    return enumerate(tables().exportOrder, index, entry);
}

int KDRGetFormatName(int formatId, KpxFormatEntry* entry) {
    const int row = formatId >= 1001 && formatId <= 1999 ? rowOfId(formatId) : -1;
    if (row < 0 || !entry)
        return 0;
    *entry = tables().entries[row];
    return 1;
}

int KDRGetFormatFileExt(const char* path) {
    if (!path)
        return 0;
    const kpx::PathParts parts = kpx::splitPath(path);
    if (parts.name == "*" || parts.extension.empty())
        return 0;
    std::int32_t id = 0;
    for (const VectorRow& row : kRows)
        if (parts.extension == row.extension)
            id = row.formatId;
    return id;
}

int KDRGetFormatFileOffset(const char* path, std::int32_t offset) {
    if (!path || kpx::splitPath(path).name == "*")
        return 0;
    return formatOfContent(readHead(path, offset, 92), KDRGetFormatFileExt(path));
}
int KDRGetFormatFile(const char* path) {
    return KDRGetFormatFileOffset(path, 0);
}

int KDRGetInfoFileOffset(const char* path, std::int32_t offset, KdrFileInfo* info) {
    const std::int32_t id = KDRGetFormatFileExt(path);
    if (!id || !info)
        return 0;
    return formatInfo(path, offset, id, *info) ? 1 : 0;
}
int KDRGetInfoFile(const char* path, KdrFileInfo* info) {
    return KDRGetInfoFileOffset(path, 0, info);
}

KdrHandle KDRLoadImageOffset(const char* path, std::int32_t offset, int) {
    if (!kpx::takeBusyFlag(loadBusy))
        return 0;
    KdrHandle handle = 0;
    KdrFileInfo info{};
    const std::int32_t id = KDRGetFormatFileExt(path);
    // Only Windows metafiles load: the other formats need the outside drawing libraries.
    if (id == kVectorWmf && formatInfo(path, offset, id, info)) {
        auto node = wmfNode(info);
        if (keepWmf(kpx::readFileFrom(path, offset), *node))
            handle = addNode(std::move(node));
    }
    loadBusy = false;
    return handle;
}
KdrHandle KDRLoadImage(const char* path, int flags) {
    return KDRLoadImageOffset(path, 0, flags);
}

int KDRStretchDraw(HDC dc, int left, int top, int right, int bottom, KdrHandle image) {
    return withNode(image, 0, [&](const VectorNode& node) {
        return node.formatId == kVectorWmf ? drawWmf(dc, node.wmf, left, top, right, bottom) : 0;
    });
}

int KDRGetMetafile(METAFILEPICT* picture, KdrHandle image) {
    if (!picture)
        return 0;
    return withNode(image, 0, [&](const VectorNode& node) {
        return node.formatId == kVectorWmf && metafilePictureOf(node.wmf, *picture) ? 1 : 0;
    });
}

int KDRCopyImageToClipboard(HWND window, KdrHandle image, int format, int emptyFirst) {
    // Only metafile pictures are served.
    if (format != static_cast<int>(CF_METAFILEPICT))
        return 0;
    METAFILEPICT picture{};
    if (!KDRGetMetafile(&picture, image))
        return 0;
    if (putOnClipboard(window, picture, emptyFirst != 0))
        return 1;
    DeleteMetaFile(picture.hMF);
    return 0;
}

KdrHandle KDRCreateImageFromClipboard(HWND window) {
    if (!OpenClipboard(window))
        return 0;
    std::unique_ptr<VectorNode> node;
    if (IsClipboardFormatAvailable(CF_METAFILEPICT))
        node = nodeOfPictureBlock(static_cast<HGLOBAL>(GetClipboardData(CF_METAFILEPICT)));
    CloseClipboard();
    return node ? addNode(std::move(node)) : 0;
}

int KDRSaveImage(KdrHandle image, const char* path, int formatId, int) {
    if (formatId != kVectorWmf || !path)
        return 0;
    return withNode(image, 0, [&](const VectorNode& node) {
        return node.formatId == kVectorWmf ? saveWmf(node.wmf, path) : 0;
    });
}

int KDRDeleteImage(KdrHandle image) {
    const std::lock_guard guard(nodesLock);
    return nodes().erase(image) ? 1 : 0;
}

int KDRWidth(KdrHandle image) {
    return withNode(image, 0, [](const VectorNode& node) { return node.width; });
}
int KDRHeight(KdrHandle image) {
    return withNode(image, 0, [](const VectorNode& node) { return node.height; });
}

int KDRBreakLoad() {
    return 0;
}

int KDRInitLibraries() {
    return ++libraryReferences;
}
int KDRFreeLibraries() {
    int current = libraryReferences.load();
    while (current > 0 && !libraryReferences.compare_exchange_weak(current, current - 1)) {
    }
    return current > 0 ? current - 1 : 0;
}
