#include "TestSupport.h"

#include "registry/Registry.h"

#include <QGuiApplication>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace kfm::test {

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / ("kfm5-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

ScopedRegistry::ScopedRegistry() {
    kfm::registry::setStorageFolder(dir_.path().string());
}
ScopedRegistry::~ScopedRegistry() {
    kfm::registry::setStorageFolder("");
}

fs::path programFolder() {
    std::error_code ec;
    return fs::canonical("/proc/self/exe", ec).parent_path();
}

fs::path testDataPath(const std::string& relative) {
    const char* root = std::getenv("KFM_TEST_DATA");
    const fs::path base = root && *root ? fs::path(root) : fs::path(KFM_TEST_DATA_DIR);
    return base / relative;
}

std::vector<std::uint8_t> readFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writeFileBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<std::uint8_t> smallestMetafileBytes() {
    std::vector<std::uint8_t> b(88 + 20, 0);
    b[0] = 1;
    b[4] = 88;
    b[40] = 0x20;
    b[41] = 'E';
    b[42] = 'M';
    b[43] = 'F';
    b[48] = static_cast<std::uint8_t>(b.size());
    b[88] = 14;
    b[92] = 20;
    return b;
}

void ensureGuiApplication() {
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kfm_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

} // namespace kfm::test
