#include "MediaFormats.h"

#include "Bitra5ResourceIds.h"
#include "FormatSniffing.h"
#include "resources/ResourceLibrary.h"
#include "video/MediaSupport.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

struct MediaRow {
    const char* extension;
    std::int32_t formatId;
};

constexpr MediaRow kAnimationRows[] = {
    {".avi", 2010}, {".fli", 2020}, {".flc", 2030}, {".mpg", 2040}, {".mpeg", 2050}, {".m1v", 2060},
    {".mpa", 2070}, {".mpe", 2080}, {".enc", 2090}, {".mov", 2100}, {".qt", 2110},
};
constexpr MediaRow kSoundRows[] = {
    {".wav", 3010}, {".mid", 3020},  {".rmi", 3030},  {".au", 3040},  {".snd", 3050},
    {".aif", 3060}, {".aifc", 3070}, {".aiff", 3080}, {".mp2", 3090},
};
constexpr int kAnimationCount = static_cast<int>(std::size(kAnimationRows));
constexpr int kSoundCount = static_cast<int>(std::size(kSoundRows));
// The formats the built-in readers handle: the first three of each table.
constexpr int kBuiltInCount = 3;

KpxFormatEntry animationEntries[kAnimationCount] = {};
KpxFormatEntry soundEntries[kSoundCount] = {};

std::atomic<int> supportOverride{-1};

void fillEntry(KpxFormatEntry& entry, const MediaRow& row, HINSTANCE resources, unsigned nameId) {
    std::memset(&entry, 0, sizeof entry);
    std::strncpy(entry.extension, row.extension, sizeof entry.extension - 1);
    entry.formatId = row.formatId;
    char name[260] = {};
    LoadStringA(resources, nameId, name, sizeof name);
    std::strncpy(entry.name, name, sizeof entry.name - 1);
}

int copyEntry(const KpxFormatEntry* table, int count, int index, KpxFormatEntry* out) {
    if (index < 0 || index >= count || !out)
        return 0;
    *out = table[index];
    return 1;
}

// The first 12 bytes of the file; false when it cannot be opened or is shorter.
bool readHead(const char* path, std::uint8_t (&head)[12]) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    const bool whole = std::fread(head, 1, sizeof head, file) == sizeof head;
    std::fclose(file);
    return whole;
}

bool startsWith(const std::uint8_t* bytes, const char* text) {
    return std::memcmp(bytes, text, std::strlen(text)) == 0;
}

template <std::size_t N>
std::int32_t candidateOf(const MediaRow (&rows)[N], const std::string& ext) {
    std::int32_t id = 0;
    for (const MediaRow& row : rows)
        if (!ext.empty() && ext == row.extension)
            id = row.formatId;
    return id;
}

std::int32_t probeAnimation(const std::uint8_t (&head)[12], std::int32_t candidate, bool streamed) {
    if (startsWith(head, "RIFF") && std::memcmp(head + 8, "AVI", 3) == 0)
        return 2010;
    if (startsWith(head, "ABC"))
        return 0;
    if (candidate == 2020 || candidate == 2030)
        return candidate;
    if (streamed && candidate >= 2040 && candidate <= 2110)
        return candidate;
    return 0;
}

std::int32_t probeSound(const std::uint8_t (&head)[12], std::int32_t candidate, bool streamed) {
    if (startsWith(head, "RIFF") && std::memcmp(head + 8, "WAVE", 4) == 0)
        return 3010;
    static constexpr std::uint8_t kMidiLength[] = {0, 0, 0, 6, 0};
    if (startsWith(head, "MThd") && std::memcmp(head + 4, kMidiLength, sizeof kMidiLength) == 0)
        return 3020;
    if (candidate == 3020 || candidate == 3030)
        return candidate;
    if (streamed && candidate >= 3040 && candidate <= 3090)
        return candidate;
    return 0;
}

int getInfo(const char* path, KrvFileInfo* info) {
    const std::int32_t id = KRVGetFormatFile(path);
    if (!id || !info)
        return 0;
    std::memset(info, 0, sizeof *info);
    info->formatId = id;
    std::strcpy(info->description, " ");
    struct stat status {};
    if (::stat(path, &status) == 0)
        info->fileSize = static_cast<std::int32_t>(status.st_size);
    return 1;
}

} // namespace

namespace kpx {

void buildMediaFormatTables(HINSTANCE resources) {
    for (int i = 0; i < kAnimationCount; ++i)
        fillEntry(animationEntries[i], kAnimationRows[i], resources,
                  bitra5res::IDS_MEDIA_FORMAT_FIRST + i);
    for (int i = 0; i < kSoundCount; ++i)
        fillEntry(soundEntries[i], kSoundRows[i], resources,
                  bitra5res::IDS_MEDIA_FORMAT_FIRST + kAnimationCount + i);
}

} // namespace kpx

void KrvSetStreamedMediaSupportForTest(int support) {
    supportOverride = support;
}

int KRVSupportActiveMovie() {
    if (const int forced = supportOverride; forced >= 0)
        return forced;
    static const int answer = kfm::video::canOpenStreamedMedia() ? 1 : 0;
    return answer;
}

int KRVACountImportFormats() {
    return KRVSupportActiveMovie() ? kAnimationCount : kBuiltInCount;
}
int KRVACountExportFormats() {
    return KRVACountImportFormats();
}
int KRVSCountImportFormats() {
    return KRVSupportActiveMovie() ? kSoundCount : kBuiltInCount;
}
int KRVSCountExportFormats() {
    return KRVSCountImportFormats();
}

int KRVAEnumerateImportFormats(int index, KpxFormatEntry* entry) {
    return copyEntry(animationEntries, kAnimationCount, index, entry);
}
int KRVAEnumerateExportFormats(int index, KpxFormatEntry* entry) {
    return KRVAEnumerateImportFormats(index, entry);
}
int KRVSEnumerateImportFormats(int index, KpxFormatEntry* entry) {
    return copyEntry(soundEntries, kSoundCount, index, entry);
}
int KRVSEnumerateExportFormats(int index, KpxFormatEntry* entry) {
    return KRVSEnumerateImportFormats(index, entry);
}

int KRVGetFormatName(int formatId, KpxFormatEntry* entry) {
    if (!entry)
        return 0;
    const bool animation = formatId >= 2001 && formatId <= 2999;
    const bool sound = formatId >= 3001 && formatId <= 3999;
    const KpxFormatEntry* table = animation ? animationEntries : soundEntries;
    const int count = animation ? kAnimationCount : sound ? kSoundCount : 0;
    for (int i = 0; i < count; ++i)
        if (table[i].formatId == formatId) {
            *entry = table[i];
            return 1;
        }
    return 0;
}

int KRVGetFormatFile(const char* path) {
    if (!path)
        return 0;
    const kpx::PathParts parts = kpx::splitPath(path);
    if (parts.name == "*")
        return 0;
    std::uint8_t head[12] = {};
    if (!readHead(path, head))
        return 0;
    const bool streamed = KRVSupportActiveMovie() != 0;
    if (const std::int32_t id =
            probeAnimation(head, candidateOf(kAnimationRows, parts.extension), streamed))
        return id;
    return probeSound(head, candidateOf(kSoundRows, parts.extension), streamed);
}

int KRVAGetInfoFile(const char* path, KrvFileInfo* info) {
    return getInfo(path, info);
}
int KRVSGetInfoFile(const char* path, KrvFileInfo* info) {
    return getInfo(path, info);
}
