#pragma once
// Video clips made at test time with the ffmpeg command-line tool, and ffmpeg's own decode of
// them as the reference. Every clip of a suite is made by one run of the tool and decoded by one
// more, once per build, since starting the tool costs more than coding small clips. Tests fail
// when the tool (or one of its encoders) is missing: scripts/install-deps.sh installs it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "TestSupport.h"

namespace kfm::test {

using ClipPicture = std::vector<std::uint8_t>;

// Runs ffmpeg quietly with the arguments; true when it succeeds.
inline bool runFfmpeg(const std::string& arguments) {
    const std::string command = "ffmpeg -nostdin -v error -y " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

inline bool haveFfmpeg() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

inline bool ffmpegHasEncoder(const std::string& name) {
    static const std::string encoders = [] {
        std::string list;
        if (std::FILE* pipe = popen("ffmpeg -hide_banner -encoders 2>/dev/null", "r")) {
            char buffer[4096];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
                list.append(buffer, n);
            pclose(pipe);
        }
        return list;
    }();
    return encoders.find(" " + name + " ") != std::string::npos;
}

// One clip: a finite lavfi source (patternSource, "sine=duration=1") and the output options
// ("-c:v mjpeg") for the file name. (The tool keeps reading an endless source after the output
// it feeds is complete, and never ends.)
struct ClipRecipe {
    std::string name;
    std::string source;
    std::string output;
    std::string encoder = ""; // one the tool must offer, or the clip is left out ("" for none)
    bool decoded = false;     // whether ffmpeg's decode of it is wanted
};

// The moving test pattern: frames at rateNumerator / rateDenominator frames a second.
inline std::string patternSource(int frames, int rateNumerator, int rateDenominator = 1,
                                 const std::string& size = "64x48") {
    const double seconds = frames * static_cast<double>(rateDenominator) / rateNumerator;
    return "testsrc=size=" + size + ":rate=" + std::to_string(rateNumerator) + "/" +
           std::to_string(rateDenominator) + ":duration=" + std::to_string(seconds);
}

// Makes every clip in the folder with one run of the tool.
inline bool makeClips(const std::filesystem::path& folder, const std::vector<ClipRecipe>& clips) {
    std::string inputs;
    std::string outputs;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        inputs += " -f lavfi -i \"" + clips[i].source + "\"";
        outputs += " -map " + std::to_string(i) + " " + clips[i].output + " '" +
                   (folder / clips[i].name).string() + "'";
    }
    return runFfmpeg(inputs + outputs);
}

// ffmpeg's decode of the clips' video into <name>.bgr beside each clip: 24-bit blue-green-red
// pictures, top row first, rows not padded, one per picture the file holds (no frame repeated or
// dropped).
inline bool ffmpegDecodeToBgr(const std::filesystem::path& folder,
                              const std::vector<std::string>& names) {
    std::string inputs;
    std::string outputs;
    for (std::size_t i = 0; i < names.size(); ++i) {
        inputs += " -i '" + (folder / names[i]).string() + "'";
        outputs += " -map " + std::to_string(i) +
                   ":v -fps_mode passthrough -f rawvideo -pix_fmt bgr24 '" +
                   (folder / (names[i] + ".bgr")).string() + "'";
    }
    return runFfmpeg(inputs + " -sws_flags bicubic" + outputs);
}

// The pictures of <name>.bgr.
inline std::vector<ClipPicture> bgrPictures(const std::filesystem::path& folder,
                                            const std::string& name, int width, int height) {
    const std::vector<std::uint8_t> all = readFileBytes(folder / (name + ".bgr"));
    std::vector<ClipPicture> pictures;
    const std::size_t pictureBytes = static_cast<std::size_t>(width) * height * 3;
    for (std::size_t at = 0; pictureBytes > 0 && at + pictureBytes <= all.size();
         at += pictureBytes)
        pictures.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(at),
                              all.begin() + static_cast<std::ptrdiff_t>(at + pictureBytes));
    return pictures;
}

// A file that a suite makes from its clips, and whether ffmpeg's decode of it is wanted.
struct PreparedFile {
    std::string name;
    bool decoded = false;
};

// The clips of a suite and ffmpeg's decode of those that ask for it, made once for every test
// program of the build: CTest runs each test in a process of its own. The folder lies beside
// the build's programs and is named after the recipes; it appears whole or not at all. Clips
// whose encoder is missing are left out. prepare(folder) makes the prepared files from the
// clips. Empty when the tool is missing or fails.
template <typename Prepare>
std::filesystem::path sharedClipFolder(const std::string& suite,
                                       const std::vector<ClipRecipe>& clips,
                                       const std::vector<PreparedFile>& prepared, Prepare prepare) {
    std::string recipe;
    for (const ClipRecipe& c : clips)
        recipe += c.name + "|" + c.source + "|" + c.output + "|" + c.encoder + "\n";
    for (const PreparedFile& file : prepared)
        recipe += file.name + (file.decoded ? "|decoded\n" : "\n");
    const std::filesystem::path root = programFolder().parent_path() / "test-clips";
    const std::filesystem::path folder =
        root / (suite + "-" + std::to_string(std::hash<std::string>{}(recipe)));
    if (std::filesystem::exists(folder))
        return folder;
    if (!haveFfmpeg())
        return {};
    std::vector<ClipRecipe> made;
    std::vector<std::string> decoded;
    for (const ClipRecipe& c : clips) {
        if (!c.encoder.empty() && !ffmpegHasEncoder(c.encoder))
            continue;
        made.push_back(c);
        if (c.decoded)
            decoded.push_back(c.name);
    }
    for (const PreparedFile& file : prepared)
        if (file.decoded)
            decoded.push_back(file.name);
    const std::filesystem::path building =
        root / (folder.filename().string() + ".part" + std::to_string(::getpid()));
    std::error_code error;
    std::filesystem::remove_all(building, error);
    std::filesystem::create_directories(building, error);
    const bool ok = !error && makeClips(building, made) && prepare(building) &&
                    ffmpegDecodeToBgr(building, decoded);
    if (ok)
        std::filesystem::rename(building, folder, error); // another program may have been first
    std::filesystem::remove_all(building, error);
    return ok && std::filesystem::exists(folder) ? folder : std::filesystem::path();
}

} // namespace kfm::test
