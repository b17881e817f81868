#include "ResourceAccess.h"

#include "resources/ResourceLibrary.h"

#include <array>

namespace kfm::ui {

namespace {

HMODULE resourceHandle = nullptr;

// The characters of bytes 0x80 to 0x9F in code page 1252 (0 where the code page has none).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

void SetResourceHandle(HMODULE module) {
    resourceHandle = module;
}

HMODULE GetResourceHandle() {
    return resourceHandle;
}

std::string ResourceText(UINT id) {
    return kfm::resources::loadString(resourceHandle, id);
}

QString ResourceString(UINT id) {
    return FromCodePage1252(ResourceText(id));
}

QString CommandPrompt(UINT id) {
    const QString text = ResourceString(id);
    return text.section(QLatin1Char('\n'), 0, 0);
}

QString CommandToolTip(UINT id) {
    const QString text = ResourceString(id);
    return text.contains(QLatin1Char('\n')) ? text.section(QLatin1Char('\n'), 1, 1) : QString();
}

QByteArray ResourceData(UINT type, UINT id) {
    const unsigned char* data = nullptr;
    UINT size = 0;
    if (!kfm::resources::findBinary(resourceHandle, type, id, &data, &size) || !data)
        return {};
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QString FromCodePage1252(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const char16_t high = (b >= 0x80 && b <= 0x9F) ? kHighControls[b - 0x80] : 0;
        text.append(QChar(high ? high : static_cast<char16_t>(b)));
    }
    return text;
}

std::string ToCodePage1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes += static_cast<char>(u);
            continue;
        }
        char out = '?';
        for (std::size_t i = 0; i < kHighControls.size(); ++i)
            if (kHighControls[i] == u && u != 0)
                out = static_cast<char>(0x80 + i);
        bytes += out;
    }
    return bytes;
}

} // namespace kfm::ui
