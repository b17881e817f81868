#pragma once
// The recent-file list: the last opened or saved animations, newest first, kept in the registry
// section "Recent File List" as "File1" to "File<n>".

#include <string>
#include <vector>

namespace kfm::shell {

class RecentFileList {
public:
    static constexpr int kDefaultSize = 5;
    // The longest menu text of an entry before its folder part is shortened.
    static constexpr std::size_t kMaxDisplayLength = 30;

    explicit RecentFileList(int size = kDefaultSize);

    // Puts path first; an equal entry further down goes, the oldest falls off the end.
    void Add(const std::string& path);
    void Remove(int index);
    int Count() const { return static_cast<int>(paths_.size()); }
    int Size() const { return size_; }
    // The path of an entry; empty for an index outside the list.
    std::string At(int index) const;

    void ReadList();
    // Writes the entries and deletes the stored names of empty slots.
    void WriteList() const;

    // The menu text of an entry: "&1 " and the file name when it lies in currentFolder, else
    // the path shortened to kMaxDisplayLength ("/first/.../name.gif"); "&" doubled.
    std::string MenuText(int index, const std::string& currentFolder) const;

private:
    int size_;
    std::vector<std::string> paths_;
};

} // namespace kfm::shell
