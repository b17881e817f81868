// The video module beside the platform library: found and checked where the build puts it,
// refused with a reason when it is missing or is no module of this version, and clip calls
// without it answering with an error (never a crash) while FFmpeg stays unmapped.

#include "video/VideoModule.h"
#include "video/AviFile.h"
#include "video/MediaSupport.h"

#include <gtest/gtest.h>

#include <link.h>

#include <string>

#include "TestSupport.h"

namespace {

using namespace kfm::video;

bool isMapped(const std::string& namePart) {
    struct Search {
        const std::string* part;
        bool found;
    } search{&namePart, false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            if (info->dlpi_name && std::string(info->dlpi_name).find(*s->part) != std::string::npos)
                s->found = true;
            return 0;
        },
        &search);
    return search.found;
}

// Makes videoModule() open the module at path for the scope, then the default one again.
class ModuleInUse {
public:
    explicit ModuleInUse(const std::string& path) { useVideoModuleForTest(path); }
    ~ModuleInUse() { useVideoModuleForTest({}); }
    ModuleInUse(const ModuleInUse&) = delete;
    ModuleInUse& operator=(const ModuleInUse&) = delete;
};

TEST(VideoModule, IsFoundBesideThePlatformLibraryAndMatchesItsVersion) {
    const std::string path = defaultVideoModulePath();
    EXPECT_EQ(std::filesystem::path(path).filename(), kVideoModuleFileName);
    const LoadedVideoModule loaded = loadVideoModule(path);
    ASSERT_NE(loaded.table, nullptr) << loaded.error;
    EXPECT_EQ(loaded.table->version, kVideoModuleVersion);
    EXPECT_TRUE(loaded.error.empty());
}

TEST(VideoModule, RefusesWhatIsNoModuleOfThisVersionWithAReason) {
    const kfm::test::TempDir folder;
    const std::string text = folder.file("libKfmVideoFFmpeg.so");
    ASSERT_TRUE(kfm::test::writeFileBytes(text, {'n', 'o', ' ', 'E', 'L', 'F'}));
    // The platform library is a shared object, but offers no module table.
    const std::string otherLibrary = (kfm::test::programFolder() / "libKfmPlatform.so").string();
    const struct {
        const char* what;
        std::string path;
        const char* reasonPart;
    } cases[] = {
        {"missing", folder.file("nothing-here.so"), "nothing-here.so"},
        {"not a shared object", text, "libKfmVideoFFmpeg.so"},
        {"no module table", otherLibrary, "not a video module of this version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LoadedVideoModule loaded = loadVideoModule(c.path);
        EXPECT_EQ(loaded.table, nullptr);
        EXPECT_NE(loaded.error.find("video clips cannot be opened"), std::string::npos)
            << loaded.error;
        EXPECT_NE(loaded.error.find(c.reasonPart), std::string::npos) << loaded.error;
    }
}

TEST(VideoModule, ClipCallsWithoutTheModuleAnswerWithAnError) {
    const kfm::test::TempDir folder;
    const std::string clip = folder.file("clip.avi");
    ASSERT_TRUE(
        kfm::test::writeFileBytes(clip, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}));
    const ModuleInUse missing(folder.file("libKfmVideoFFmpeg.so"));
    PAVIFILE file = reinterpret_cast<PAVIFILE>(1);
    EXPECT_EQ(AVIFileOpenA(&file, clip.c_str(), OF_READ, nullptr), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(file, nullptr);
    AVIFILEINFOA info{};
    EXPECT_EQ(AVIFileInfoA(file, &info, sizeof info), AVIERR_BADPARAM);
    PAVISTREAM stream = reinterpret_cast<PAVISTREAM>(1);
    EXPECT_EQ(AVIFileGetStream(file, &stream, streamtypeVIDEO, 0), AVIERR_BADPARAM);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(AVIStreamGetFrameOpen(stream, nullptr), nullptr);
    EXPECT_EQ(AVIFileRelease(file), 0u);
    EXPECT_FALSE(canOpenStreamedMedia());
    EXPECT_NE(videoModuleError().find(folder.file("libKfmVideoFFmpeg.so")), std::string::npos);
}

TEST(VideoModule, FfmpegIsMappedOnlyOnceTheModuleIs) {
    // A test program that has not asked for the module yet (each test runs in its own process)
    // maps no FFmpeg library; asking for the module maps both.
    if (!isMapped(kVideoModuleFileName))
        EXPECT_FALSE(isMapped("libavformat"));
    ASSERT_NE(videoModule(), nullptr) << videoModuleError();
    EXPECT_TRUE(isMapped(kVideoModuleFileName));
    EXPECT_TRUE(isMapped("libavformat"));
    EXPECT_TRUE(canOpenStreamedMedia());
}

} // namespace
