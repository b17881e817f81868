#include "RecentFileList.h"

#include "registry/RegistryHelpers.h"

#include <algorithm>
#include <filesystem>

namespace kfm::shell {

namespace {

constexpr const char* kSection = "Recent File List";

std::string entryName(int index) {
    return "File" + std::to_string(index + 1);
}

std::string normalised(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

std::string doubledAmpersands(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c;
        if (c == '&')
            out += '&';
    }
    return out;
}

// "/first/.../name" when the path is longer than the limit; the file name alone when even
// that is too long.
std::string shortened(const std::string& path, std::size_t limit) {
    if (path.size() <= limit)
        return path;
    const std::filesystem::path p(path);
    const std::string name = p.filename().string();
    const std::size_t firstSlash = path.find('/', 1);
    if (firstSlash != std::string::npos) {
        const std::string candidate = path.substr(0, firstSlash) + "/.../" + name;
        if (candidate.size() <= limit)
            return candidate;
    }
    return name;
}

} // namespace

RecentFileList::RecentFileList(int size) : size_(std::clamp(size, 1, 16)) {}

void RecentFileList::Add(const std::string& path) {
    if (path.empty())
        return;
    const std::string entry = normalised(path);
    paths_.erase(std::remove(paths_.begin(), paths_.end(), entry), paths_.end());
    paths_.insert(paths_.begin(), entry);
    if (Count() > size_)
        paths_.resize(static_cast<std::size_t>(size_));
}

void RecentFileList::Remove(int index) {
    if (index >= 0 && index < Count())
        paths_.erase(paths_.begin() + index);
}

std::string RecentFileList::At(int index) const {
    return index >= 0 && index < Count() ? paths_[static_cast<std::size_t>(index)] : std::string();
}

void RecentFileList::ReadList() {
    paths_.clear();
    for (int i = 0; i < size_; ++i) {
        const std::string path = ReadRegString(kSection, entryName(i).c_str(), "");
        if (!path.empty() && std::find(paths_.begin(), paths_.end(), path) == paths_.end())
            paths_.push_back(path);
    }
}

void RecentFileList::WriteList() const {
    for (int i = 0; i < size_; ++i) {
        const std::string name = entryName(i);
        if (i < Count())
            WriteRegString(kSection, name.c_str(), paths_[static_cast<std::size_t>(i)].c_str());
        else
            DeleteRegValue(kSection, name.c_str());
    }
}

std::string RecentFileList::MenuText(int index, const std::string& currentFolder) const {
    const std::string path = At(index);
    if (path.empty())
        return {};
    const std::filesystem::path p(path);
    std::string shown;
    if (!currentFolder.empty() && normalised(p.parent_path().string()) == normalised(currentFolder))
        shown = p.filename().string();
    else
        shown = shortened(path, kMaxDisplayLength);
    return "&" + std::to_string(index + 1) + " " + doubledAmpersands(shown);
}

} // namespace kfm::shell
