#include "ResourceScripts.h"

#include <charconv>

namespace kfm::shell {

namespace {

// One line cut into tokens: words, numbers, quoted texts and commas.
class LineReader {
public:
    explicit LineReader(std::string_view line) : line_(line) {}

    void skipBlanks() {
        while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t'))
            ++pos_;
    }
    bool atEnd() {
        skipBlanks();
        return pos_ >= line_.size();
    }
    std::string word() {
        skipBlanks();
        const std::size_t start = pos_;
        while (pos_ < line_.size() &&
               (std::isalpha(static_cast<unsigned char>(line_[pos_])) || line_[pos_] == '_'))
            ++pos_;
        return std::string(line_.substr(start, pos_ - start));
    }
    std::optional<UINT> number() {
        skipBlanks();
        UINT value = 0;
        const char* begin = line_.data() + pos_;
        const char* end = line_.data() + line_.size();
        const auto [next, error] = std::from_chars(begin, end, value);
        if (error != std::errc() || next == begin)
            return std::nullopt;
        pos_ += static_cast<std::size_t>(next - begin);
        return value;
    }
    bool comma() {
        skipBlanks();
        if (pos_ < line_.size() && line_[pos_] == ',') {
            ++pos_;
            return true;
        }
        return false;
    }
    std::optional<std::string> quoted() {
        skipBlanks();
        if (pos_ >= line_.size() || line_[pos_] != '"')
            return std::nullopt;
        std::string text;
        for (++pos_; pos_ < line_.size(); ++pos_) {
            const char c = line_[pos_];
            if (c == '"') {
                if (pos_ + 1 < line_.size() && line_[pos_ + 1] == '"') {
                    text += '"';
                    ++pos_;
                    continue;
                }
                ++pos_;
                return text;
            }
            if (c == '\\' && pos_ + 1 < line_.size()) {
                const char e = line_[++pos_];
                text += e == 't' ? '\t' : e;
                continue;
            }
            text += c;
        }
        return std::nullopt;
    }

private:
    std::string_view line_;
    std::size_t pos_ = 0;
};

// Calls visit(line) for every line that holds a statement; false when visit refuses one.
template <typename Visit> bool forEachStatement(std::string_view script, Visit&& visit) {
    while (!script.empty()) {
        const std::size_t end = script.find('\n');
        std::string_view line = script.substr(0, end);
        script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        LineReader probe(line);
        if (probe.atEnd())
            continue;
        const std::size_t first = line.find_first_not_of(" \t");
        if (line.substr(first, 2) == "//")
            continue;
        if (!visit(line))
            return false;
    }
    return true;
}

} // namespace

std::optional<std::vector<MenuEntry>> ParseMenuScript(std::string_view script) {
    std::vector<MenuEntry> root;
    std::vector<std::vector<MenuEntry>*> open{&root};
    // Popups under construction, innermost last.
    std::vector<MenuEntry> popups;
    const bool ok = forEachStatement(script, [&](std::string_view line) {
        LineReader r(line);
        const std::string keyword = r.word();
        if (keyword == "POPUP") {
            const auto text = r.quoted();
            if (!text || !r.atEnd())
                return false;
            MenuEntry popup;
            popup.kind = MenuEntry::Kind::Popup;
            popup.text = *text;
            popups.push_back(std::move(popup));
            return true;
        }
        if (keyword == "END") {
            if (popups.empty() || !r.atEnd())
                return false;
            MenuEntry done = std::move(popups.back());
            popups.pop_back();
            (popups.empty() ? root : popups.back().children).push_back(std::move(done));
            return true;
        }
        if (keyword != "MENUITEM")
            return false;
        MenuEntry item;
        std::vector<MenuEntry>& into = popups.empty() ? root : popups.back().children;
        LineReader rest = r;
        if (rest.word() == "SEPARATOR" && rest.atEnd()) {
            item.kind = MenuEntry::Kind::Separator;
            into.push_back(std::move(item));
            return true;
        }
        const auto text = r.quoted();
        if (!text || !r.comma())
            return false;
        const auto id = r.number();
        if (!id || *id == 0 || !r.atEnd())
            return false;
        item.text = *text;
        item.id = *id;
        into.push_back(std::move(item));
        return true;
    });
    if (!ok || !popups.empty())
        return std::nullopt;
    return root;
}

std::optional<std::vector<ToolbarButton>> ParseToolbarScript(std::string_view script) {
    std::vector<ToolbarButton> buttons;
    int image = 0;
    const bool ok = forEachStatement(script, [&](std::string_view line) {
        LineReader r(line);
        const std::string keyword = r.word();
        if (keyword == "SEPARATOR" && r.atEnd()) {
            buttons.push_back({0, -1});
            return true;
        }
        if (keyword != "BUTTON")
            return false;
        const auto id = r.number();
        if (!id || *id == 0 || !r.atEnd())
            return false;
        buttons.push_back({*id, image++});
        return true;
    });
    if (!ok)
        return std::nullopt;
    return buttons;
}

std::optional<std::vector<Accelerator>> ParseAcceleratorScript(std::string_view script) {
    std::vector<Accelerator> table;
    const bool ok = forEachStatement(script, [&](std::string_view line) {
        LineReader r(line);
        const auto keys = r.quoted();
        if (!keys || keys->empty() || !r.comma())
            return false;
        const auto id = r.number();
        if (!id || *id == 0 || !r.atEnd())
            return false;
        table.push_back({*keys, *id});
        return true;
    });
    if (!ok)
        return std::nullopt;
    return table;
}

} // namespace kfm::shell
