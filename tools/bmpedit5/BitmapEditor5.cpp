// A stand-in bitmap editor: opens the BMP file named last on its command line, saves it the
// given number of times (each save fills the pixel rows with its own value, or writes the bytes
// unchanged), and then exits or stays until a named file appears.
//
//   KfmBitmapEditor5 [--saves=N] [--same] [--pause-ms=M] [--stay-until=PATH] FILE
//
// Exit codes: 0 done, 2 bad arguments, 3 the file cannot be read or is no BMP, 4 a save failed.

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
    int saves = 1;
    bool same = false;
    int pauseMs = 100;
    std::string stayUntil;
    std::string file;
};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (startsWith(arg, "--saves="))
            options.saves = std::atoi(arg.c_str() + 8);
        else if (arg == "--same")
            options.same = true;
        else if (startsWith(arg, "--pause-ms="))
            options.pauseMs = std::atoi(arg.c_str() + 11);
        else if (startsWith(arg, "--stay-until="))
            options.stayUntil = arg.substr(13);
        else if (i == argc - 1)
            options.file = arg;
        else
            return false;
    }
    return !options.file.empty() && options.saves >= 0;
}

std::uint32_t u32le(const std::vector<char>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

bool save(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options))
        return 2;
    std::ifstream in(options.file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return 3;
    const std::uint32_t pixels = u32le(bytes, 10);
    if (pixels >= bytes.size())
        return 3;
    for (int n = 1; n <= options.saves; ++n) {
        if (!options.same)
            for (std::size_t i = pixels; i < bytes.size(); ++i)
                bytes[i] = static_cast<char>(n * 37 + 11);
        if (!save(options.file, bytes))
            return 4;
        if (n < options.saves)
            std::this_thread::sleep_for(std::chrono::milliseconds(options.pauseMs));
    }
    while (!options.stayUntil.empty() && !std::filesystem::exists(options.stayUntil))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return 0;
}
