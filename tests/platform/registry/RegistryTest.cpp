#include "registry/Registry.h"

#include "TestSupport.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string storeAndRead(HKEY key, const char* name, const std::string& text) {
    EXPECT_EQ(RegSetValueExA(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    char back[256] = {};
    DWORD size = sizeof back;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, name, &type, reinterpret_cast<BYTE*>(back), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, text.size() + 1);
    return back;
}

class RegistryText : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "SOFTWARE\\KELDO\\Test", &key), ERROR_SUCCESS);
    }
    void TearDown() override { RegCloseKey(key); }
    kfm::test::ScopedRegistry registry;
    HKEY key = nullptr;
};

// Texts reach the file as UTF-8, so other programs read them as written, and come back byte for
// byte.
TEST_F(RegistryText, TextsAreStoredAsUtf8) {
    const std::string texts[] = {"plain", "/home/jörg/Bilder/Grüße.gif", "日本語 \xF0\x9F\x8E\x9E",
                                 "café", ""};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(storeAndRead(key, "Last file", text), text);
        const std::string file = readWholeFile(kfm::registry::storagePath());
        EXPECT_NE(file.find(text), std::string::npos) << file;
    }
}

// Earlier versions stored each byte of a text as one Latin-1 character; such a file still reads
// back as the bytes that were written.
TEST_F(RegistryText, TextsOfEarlierVersionsReadBackAsWritten) {
    const std::string texts[] = {"/home/jörg/Grüße.gif", "日本語", "plain"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        {
            QSettings old(QString::fromStdString(kfm::registry::storagePath()),
                          QSettings::IniFormat);
            old.setValue("SOFTWARE/KELDO/Test/Old",
                         "sz:" +
                             QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        }
        char back[256] = {};
        DWORD size = sizeof back;
        ASSERT_EQ(RegQueryValueExA(key, "Old", nullptr, reinterpret_cast<BYTE*>(back), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::string(back), text);
    }
}

} // namespace
