#include "FontSubstitution.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <list>
#include <mutex>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "text/TextFont.h"

namespace {

constexpr BYTE kAnsi = 0;
constexpr BYTE kSymbol = 2;

struct CharsetRow {
    BYTE charset;
    const char* suffix;
    int shortcutId;
    int nameId;
};

constexpr CharsetRow kCharsetTable[] = {
    {238, "CE", 10741, 10740},    {204, "CYR", 10743, 10742},    {161, "GREEK", 10745, 10744},
    {162, "TUR", 10751, 10750},   {186, "BALTIC", 10739, 10738}, {2, nullptr, 10749, 10748},
    {0, nullptr, 10755, 10754},   {177, nullptr, 10747, 10746},  {178, nullptr, 10737, 10736},
    {163, nullptr, 10753, 10752}, {128, nullptr, 0, 0},          {129, nullptr, 0, 0},
    {134, nullptr, 0, 0},         {136, nullptr, 0, 0},          {130, nullptr, 0, 0},
    {222, nullptr, 0, 0},
};

const CharsetRow* rowOf(BYTE charset) {
    for (const CharsetRow& row : kCharsetTable)
        if (row.charset == charset)
            return &row;
    return nullptr;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool containsNoCase(std::string_view text, std::string_view word) {
    if (word.size() > text.size())
        return false;
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i)
        if (equalNoCase(text.substr(i, word.size()), word))
            return true;
    return false;
}

std::string faceOf(const LOGFONTA& font) {
    return std::string(font.lfFaceName, strnlen(font.lfFaceName, sizeof font.lfFaceName));
}

void setFace(LOGFONTA& font, std::string_view face) {
    std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
    std::memcpy(font.lfFaceName, face.data(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
}

struct Substitution {
    LOGFONTA wanted;
    LOGFONTA chosen;
    std::uint32_t flags = 0;
};

struct Session {
    bool open = false;
    std::list<Substitution> records;
    std::optional<std::vector<std::vector<std::string>>> fontData;
    std::string dataFolder;
};

Session& session() {
    static Session s;
    return s;
}

std::string programFolder() {
    if (!session().dataFolder.empty())
        return session().dataFolder;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath().toStdString() + "/";
    return "./";
}

// Lines of comma-separated names; carriage returns act as commas.
std::vector<std::vector<std::string>> readFontData(const std::string& path) {
    std::vector<std::vector<std::string>> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::replace(line.begin(), line.end(), '\r', ',');
        std::vector<std::string> names;
        std::stringstream fields(line);
        std::string name;
        while (std::getline(fields, name, ','))
            if (!name.empty())
                names.push_back(name);
        if (!names.empty())
            lines.push_back(std::move(names));
    }
    return lines;
}

std::optional<LOGFONTA> searchFontData(const LOGFONTA& wanted) {
    Session& s = session();
    if (!s.fontData)
        s.fontData = readFontData(programFolder() + "font.dat");
    const std::string face = faceOf(wanted);
    std::optional<LOGFONTA> result;
    double best = 0.0;
    for (const auto& names : *s.fontData) {
        double resemblance = 0.0;
        for (const std::string& name : names) {
            const double similarity = KtfNameSimilarity(face, name);
            if (similarity >= 0.5)
                resemblance = std::max(resemblance, similarity);
        }
        if (resemblance <= best)
            continue;
        for (std::size_t i = 1; i < names.size(); ++i) {
            const std::string candidate = names[i].substr(0, 31);
            if (kfm::text::faceExists(candidate, wanted.lfCharSet)) {
                LOGFONTA found = wanted;
                setFace(found, candidate);
                result = found;
                best = resemblance;
                break;
            }
        }
    }
    return best >= 0.5 ? result : std::nullopt;
}

std::optional<std::string> mostSimilarFace(const std::string& face, BYTE charset) {
    std::optional<std::string> winner;
    double best = -1.0;
    for (const std::string& candidate : kfm::text::facesOfCharset(charset)) {
        const double score = KtfNameSimilarity(face, candidate);
        if (score > best) {
            best = score;
            winner = candidate;
        }
    }
    return winner;
}

void record(const LOGFONTA& wanted, const LOGFONTA& chosen) {
    for (const Substitution& r : session().records)
        if (std::memcmp(&r.wanted, &wanted, sizeof wanted) == 0)
            return;
    session().records.push_back(Substitution{wanted, chosen, 0});
}

int charsetOr(int codePage, int fallback) {
    const int charset = kfm::text::charsetOfCodePage(codePage);
    return charset >= 0 ? charset : fallback;
}

} // namespace

double KtfNameSimilarity(const std::string& a, const std::string& b) {
    const int n = static_cast<int>(a.size());
    const int m = static_cast<int>(b.size());
    if (n == 0 && m == 0)
        return 1.0;
    if (n == 0 || m == 0)
        return 0.0;
    // Myers' greedy search for the shortest script of deletions and insertions.
    const int max = n + m;
    std::vector<int> v(static_cast<std::size_t>(2 * max + 2), 0);
    int edits = max;
    for (int d = 0; d <= max && edits == max; ++d)
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[k - 1 + max] < v[k + 1 + max])) ? v[k + 1 + max]
                                                                             : v[k - 1 + max] + 1;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y]) {
                ++x;
                ++y;
            }
            v[k + max] = x;
            if (x >= n && y >= m) {
                edits = d;
                break;
            }
        }
    return static_cast<double>(n + m - edits) / (n + m);
}

void KtfBeginFontSubstitution() {
    session().records.clear();
    session().fontData.reset();
    session().open = true;
}

void KtfEndFontSubstitution() {
    session().records.clear();
    session().fontData.reset();
    session().open = false;
}

int KtfIsFontSubstitutionEnabled() {
    return session().open ? 1 : 0;
}

void KtfSetFontDataFolder(const std::string& folder) {
    session().dataFolder = folder;
}

int KtfSubstituteFont(LOGFONTA* font) {
    if (!font || !session().open)
        return 0;
    const std::string face = faceOf(*font);
    if (kfm::text::faceExists(face, font->lfCharSet))
        return 0;
    const LOGFONTA wanted = *font;
    for (const Substitution& r : session().records)
        if (!(r.flags & 1) && equalNoCase(faceOf(r.wanted), face) &&
            r.wanted.lfCharSet == font->lfCharSet) {
            *font = r.chosen;
            return 1;
        }
    if (kfm::text::faceExists(face, kAnsi)) {
        font->lfCharSet = kAnsi;
        record(wanted, *font);
        return 1;
    }
    if (const auto replacement = searchFontData(wanted)) {
        *font = *replacement;
        record(wanted, *font);
        return 1;
    }
    if (const auto similar = mostSimilarFace(face, font->lfCharSet)) {
        setFace(*font, *similar);
        record(wanted, *font);
        return 1;
    }
    if (const auto similar = mostSimilarFace(face, kAnsi)) {
        setFace(*font, *similar);
        font->lfCharSet = kAnsi;
        record(wanted, *font);
        return 1;
    }
    font->lfCharSet = kAnsi;
    setFace(*font, "Arial");
    record(wanted, *font);
    return 1;
}

char* KtfGetFontSubstitutionString() {
    if (session().records.empty())
        return nullptr;
    std::string text;
    for (const Substitution& r : session().records)
        text += faceOf(r.wanted) + "|" + faceOf(r.chosen) + "|";
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out)
        std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

int KtfDecodePostsciptFontName(const char* name, LOGFONTA* out) {
    if (!name || !out)
        return 0;
    std::memset(out, 0, sizeof *out);
    out->lfCharSet = static_cast<BYTE>(KtfGetUserDefaultCharSet());
    const std::string_view full(name);
    if (const auto dot = full.find('.'); dot != std::string_view::npos) {
        const std::string_view encoding = full.substr(dot + 1);
        if (equalNoCase(encoding, "WinEastEuropean"))
            out->lfCharSet = 238;
        else if (equalNoCase(encoding, "WinCyrillic"))
            out->lfCharSet = 204;
    }
    int flags = 0;
    if (const auto dash = full.find('-'); dash != std::string_view::npos) {
        const std::string_view style = full.substr(dash + 1);
        for (const char* word : {"Medium", "Demi", "Bold", "Heavy", "Black"})
            if (containsNoCase(style, word))
                flags |= 1;
        for (const char* word : {"Italic", "Kursiv", "Oblique"})
            if (containsNoCase(style, word))
                flags |= 2;
    }
    out->lfWeight = flags & 1 ? 700 : 400;
    out->lfItalic = flags & 2 ? 1 : 0;
    std::string face(full.size() + 1 < 33 ? full : full.substr(0, 31));
    face = face.substr(0, face.find('.'));
    face = face.substr(0, face.find('-'));
    for (const char* vendor : {"PSMT", "MT", "ITC", "BE", "PS", "TCE"}) {
        const std::string_view suffix(vendor);
        if (face.size() >= suffix.size() &&
            face.compare(face.size() - suffix.size(), suffix.size(), suffix) == 0) {
            face.resize(face.size() - suffix.size());
            break;
        }
    }
    setFace(*out, face);
    return 1;
}

int KtfDecodeWin16FontName(LOGFONTA* font) {
    if (!font)
        return 0;
    const std::string face = faceOf(*font);
    const auto blank = face.rfind(' ');
    if (blank == std::string::npos || blank + 1 >= face.size())
        return 0;
    const std::string_view word = std::string_view(face).substr(blank + 1);
    for (const CharsetRow& row : kCharsetTable)
        if (row.suffix && equalNoCase(word, row.suffix)) {
            setFace(*font, std::string_view(face).substr(0, blank));
            font->lfCharSet = row.charset;
            return 1;
        }
    return 0;
}

int KtfTranslateCharSetToString(BYTE charset) {
    const CharsetRow* row = rowOf(charset);
    return row ? row->nameId : 0;
}

int KtfTranslateCharSetToShortcut(BYTE charset) {
    const CharsetRow* row = rowOf(charset);
    return row ? row->shortcutId : 0;
}

BYTE* KtfEnumCharSetsInFont(const LOGFONTA* font, int* count) {
    if (count)
        *count = 0;
    if (!font)
        return nullptr;
    const std::vector<std::uint8_t> charsets = kfm::text::charsetsOfFace(faceOf(*font));
    if (charsets.empty())
        return nullptr;
    auto* out = static_cast<BYTE*>(std::malloc(charsets.size()));
    if (!out)
        return nullptr;
    std::copy(charsets.begin(), charsets.end(), out);
    if (count)
        *count = static_cast<int>(charsets.size());
    return out;
}

void KtfFreeEnumeratedCharSets(BYTE* charsets) {
    std::free(charsets);
}

BYTE KtfValidateCharsetForFont(const LOGFONTA* font, BYTE charset) {
    if (!font)
        return kAnsi;
    const std::string face = faceOf(*font);
    if (kfm::text::faceExists(face, charset))
        return charset;
    if (kfm::text::faceExists(face, kAnsi))
        return kAnsi;
    if (kfm::text::faceExists(face, kSymbol))
        return kSymbol;
    return kAnsi;
}

int KtfGetUserDefaultACP() {
    return kfm::text::userDefaultCodePage();
}
int KtfGetKeyboardACP() {
    return kfm::text::userDefaultCodePage();
}

int KtfGetCharsetFromACP(int codePage) {
    // The fallback ends at a fixed set: the user's own code page may have none either.
    return charsetOr(codePage, charsetOr(KtfGetUserDefaultACP(), kAnsi));
}

int KtfGetACPFromCharset(BYTE charset) {
    if (charset == kSymbol)
        return 0;
    const int codePage = kfm::text::codePageOfCharset(charset);
    return codePage ? codePage : KtfGetUserDefaultACP();
}

int KtfGetUserDefaultCharSet() {
    return KtfGetCharsetFromACP(KtfGetUserDefaultACP());
}
int KtfGetKeyboardCharSet() {
    return KtfGetCharsetFromACP(KtfGetKeyboardACP());
}
int KtfActivateKeyboard(WORD) {
    return 0;
}
