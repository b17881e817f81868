#include "PluginListFile.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>

namespace kfm::filterhost {

namespace {

constexpr const char* kHeaderSection = "PlugInHeader";
constexpr const char* kFormatId = "7678";
constexpr const char* kPathSection = "PlugInPath";
constexpr const char* kLineEnd = "\r\n";

bool isLineBreak(std::uint8_t c) {
    return c == '\r' || c == '\n';
}

// A read position over the file's bytes.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool atEnd() const { return pos_ >= bytes_.size(); }
    std::uint8_t peek() const { return bytes_[pos_]; }

    void skipLineBreaks() {
        while (!atEnd() && isLineBreak(peek()))
            ++pos_;
    }
    // The text up to `stop` (which is passed over); false when the bytes end first.
    bool readUntil(std::uint8_t stop, std::string& out) {
        out.clear();
        while (!atEnd()) {
            const std::uint8_t c = bytes_[pos_++];
            if (c == stop)
                return true;
            out.push_back(static_cast<char>(c));
        }
        return false;
    }
    // The text up to the next "[", line breaks left out (the "[" is not passed over).
    std::string readUntilSectionSkippingBreaks() {
        std::string out;
        while (!atEnd() && peek() != '[') {
            if (!isLineBreak(peek()))
                out.push_back(static_cast<char>(peek()));
            ++pos_;
        }
        return out;
    }
    // One line without its CR LF; the end of the bytes also ends a line. False when the bytes
    // have ended before the line starts.
    bool readLine(std::string& out) {
        if (atEnd())
            return false;
        readUntil('\n', out);
        if (!out.empty() && out.back() == '\r')
            out.pop_back();
        return true;
    }
    void skipLine() {
        std::string ignored;
        readLine(ignored);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// The decimal number at the start of the text as atoi reads it, kept within 0..INT_MAX.
int countOf(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
    return negative ? 0 : static_cast<int>(value);
}

bool readHeader(Cursor& in) {
    in.skipLineBreaks();
    if (in.atEnd() || in.peek() != '[')
        return false;
    std::string text;
    in.readUntil('[', text);
    if (!in.readUntil(']', text) || text != kHeaderSection)
        return false;
    return in.readUntilSectionSkippingBreaks() == kFormatId;
}

void readFolders(Cursor& in, PluginList& out) {
    // The "[PlugInPath]" line, then folders up to the first record.
    in.skipLine();
    for (;;) {
        in.skipLineBreaks();
        if (in.atEnd() || in.peek() == '[')
            return;
        std::string folder;
        in.readLine(folder);
        out.folders.push_back(std::move(folder));
    }
}

void readRecords(Cursor& in, PluginList& out) {
    std::string category;
    for (;;) {
        in.skipLineBreaks();
        if (in.atEnd())
            return;
        if (in.peek() == '[') {
            std::string ignored;
            in.readUntil('[', ignored);
            if (!in.readUntil(']', category))
                return;
            in.skipLine();
        }
        PluginListRecord record;
        record.category = category;
        std::string count;
        if (!in.readLine(record.name) || !in.readLine(record.path) || !in.readLine(count))
            return;
        record.minSelectedFrames = countOf(count);
        out.records.push_back(std::move(record));
    }
}

} // namespace

std::string FormatPluginList(const PluginList& list) {
    std::string out;
    out += std::string("[") + kHeaderSection + "]" + kLineEnd;
    out += std::string(kFormatId) + kLineEnd;
    out += std::string("[") + kPathSection + "]" + kLineEnd;
    for (const std::string& folder : list.folders)
        out += folder + kLineEnd;
    for (const PluginListRecord& r : list.records) {
        out += "[" + r.category + "]" + kLineEnd;
        out += r.name + kLineEnd;
        out += r.path + kLineEnd;
        out += std::to_string(static_cast<unsigned>(r.minSelectedFrames)) + kLineEnd;
    }
    return out;
}

HRESULT ParsePluginList(std::span<const std::uint8_t> bytes, PluginList& out) {
    Cursor in(bytes);
    if (!readHeader(in))
        return E_FAIL;
    PluginList read;
    if (!in.atEnd()) {
        readFolders(in, read);
        readRecords(in, read);
    }
    out.folders.insert(out.folders.end(), read.folders.begin(), read.folders.end());
    out.records.insert(out.records.end(), read.records.begin(), read.records.end());
    return S_OK;
}

PluginListRead ReadPluginListFile(const std::string& path, PluginList& out) {
    std::ifstream file(path, std::ios::binary);
    if (path.empty() || !file)
        return PluginListRead::Missing;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                          std::istreambuf_iterator<char>()};
    return ParsePluginList(bytes, out) == S_OK ? PluginListRead::Read : PluginListRead::BadHeader;
}

bool WritePluginListFile(const std::string& path, const PluginList& list) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    const std::string bytes = FormatPluginList(list);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

std::string FolderKey(const std::string& folder) {
    std::string key = folder;
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (key.empty() || key.back() != '/')
        key.push_back('/');
    return key;
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
    if (folder.empty())
        return false;
    const std::string inner = FolderKey(path);
    const std::string outer = FolderKey(folder);
    return inner.compare(0, outer.size(), outer) == 0;
}

std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOfPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& fileName) {
    if (folder.empty() || folder.back() == '/')
        return folder + fileName;
    return folder + "/" + fileName;
}

} // namespace kfm::filterhost
