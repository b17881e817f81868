// How a file save replaces its target: one rule for files the user may not write, whatever the
// codec; the temporary file without a name while the codec writes (and the named one beside the
// target where unnamed files are not available); the target's permissions, owner and group kept;
// and a save killed part of the way, which leaves the folder as it was.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "FormatId.h"
#include "StillImageSupport.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const Bytes kOldContent{'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Runs the tests of a fixture once with unnamed temporary files and once without.
class ReplacingSave : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        KpxUseUnnamedTemporaryFilesForTest(GetParam() ? 1 : 0);
        image = kfm::test::makePicture(16, 12, 8, [](int x, int y) { return (x + 3 * y) % 7; });
    }
    void TearDown() override {
        KPXDeleteImage(image);
        KpxUseUnnamedTemporaryFilesForTest(1);
    }
    kfm::test::TempDir dir;
    KpxHandle image = 0;
};

struct Codec {
    const char* name;
    FormatId format;
};
const Codec kCodecs[] = {{"x.gif", FormatId::Gif},  {"x.bmp", FormatId::Bmp},
                         {"x.png", FormatId::Png},  {"x.jpg", FormatId::Jpeg},
                         {"x.tif", FormatId::Tiff}, {"x.ico", FormatId::Ico},
                         {"x.pcx", FormatId::Pcx},  {"x.mac", FormatId::MacPaint}};

// A file that no one may write is left as it is by every codec and by the animation save, and the
// save says why; root, to whom permissions do not apply, keeps to the same rule. A file with a
// write bit the user may write is replaced, keeping its permissions.
TEST_P(ReplacingSave, ReadOnlyFilesAreLeftAsTheyAreByEveryCodec) {
    const KpxHandle oneBit = kfm::test::makePicture(16, 12, 1, [](int x, int) { return x % 2; });
    for (const Codec& codec : kCodecs) {
        const KpxHandle picture = codec.format == FormatId::MacPaint ? oneBit : image;
        const std::string target = dir.file(codec.name);
        ASSERT_TRUE(kfm::test::writeFileBytes(target, kOldContent));
        ::chmod(target.c_str(), 0444);
        EXPECT_EQ(KPXSaveImage(picture, target.c_str(), formatNumber(codec.format), 0, 0, nullptr),
                  0)
            << codec.name;
        EXPECT_EQ(KPXGetLastSaveResult(), kKpxSaveNotWritable) << codec.name;
        EXPECT_EQ(kfm::test::readFileBytes(target), kOldContent) << codec.name;
        EXPECT_EQ(
            KPXSaveImageEx(picture, target.c_str(), formatNumber(codec.format), 0, 0, nullptr), 0)
            << codec.name;
        EXPECT_EQ(KPXGetLastSaveResult(), kKpxSaveNotWritable) << codec.name;
        EXPECT_EQ(kfm::test::readFileBytes(target), kOldContent) << codec.name;

        ::chmod(target.c_str(), 0640);
        EXPECT_EQ(KPXSaveImage(picture, target.c_str(), formatNumber(codec.format), 0, 0, nullptr),
                  1)
            << codec.name;
        EXPECT_EQ(KPXGetLastSaveResult(), 0) << codec.name;
        EXPECT_NE(kfm::test::readFileBytes(target), kOldContent) << codec.name;
        struct stat status {};
        ASSERT_EQ(::stat(target.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0640u) << codec.name;
    }
    const std::string animation = dir.file("animation.gif");
    ASSERT_TRUE(kfm::test::writeFileBytes(animation, kOldContent));
    ::chmod(animation.c_str(), 0444);
    EXPECT_EQ(KPXSaveImageFrames(image, animation.c_str(), formatNumber(FormatId::Gif), 0, 0,
                                 nullptr, nullptr),
              0);
    EXPECT_EQ(KPXGetLastSaveResult(), kKpxSaveNotWritable);
    EXPECT_EQ(kfm::test::readFileBytes(animation), kOldContent);
    EXPECT_EQ(namesIn(dir.path()).size(), std::size(kCodecs) + 1);
    KPXDeleteImage(oneBit);
}

// A save through a link to a read-only file is refused the same way; the link and the file stay.
TEST_P(ReplacingSave, ReadOnlyFilesBehindALinkAreLeftAsTheyAre) {
    const std::string real = dir.file("real.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(real, kOldContent));
    ::chmod(real.c_str(), 0400);
    const std::string link = dir.file("link.bmp");
    fs::create_symlink("real.bmp", link);
    EXPECT_EQ(KPXSaveImage(image, link.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 0);
    EXPECT_EQ(KPXGetLastSaveResult(), kKpxSaveNotWritable);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(kfm::test::readFileBytes(real), kOldContent);
}

// The replaced file keeps the target's owner, group and permissions, set-group-id bit included.
// Root gives the file a foreign owner first; another user checks its own ids.
TEST_P(ReplacingSave, ReplacedFileKeepsOwnerGroupAndPermissions) {
    const std::string target = dir.file("kept.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(target, kOldContent));
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 4242 : ::geteuid();
    const gid_t group = root ? 4343 : ::getegid();
    ASSERT_EQ(::chown(target.c_str(), owner, group), 0);
    ASSERT_EQ(::chmod(target.c_str(), 02664), 0);
    ASSERT_EQ(KPXSaveImage(image, target.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 1);
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, owner);
    EXPECT_EQ(status.st_gid, group);
    EXPECT_EQ(status.st_mode & 07777, 02664u);
    EXPECT_NE(kfm::test::readFileBytes(target), kOldContent);
    // A new file gets the permissions of a new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const std::string fresh = dir.file("fresh.bmp");
    ASSERT_EQ(KPXSaveImage(image, fresh.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 1);
    ASSERT_EQ(::stat(fresh.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0666u & ~mask);
    EXPECT_EQ(namesIn(dir.path()).size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Temporaries, ReplacingSave, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

// What the folder holds while the codec writes, seen from the codec's progress function.
std::vector<std::string> seenDuringSave;
fs::path watchedFolder;
int rowsUntilKill = -1;

void lookIntoTheFolder() {
    if (seenDuringSave.empty())
        seenDuringSave = namesIn(watchedFolder);
}

void dieAfterSomeRows() {
    if (--rowsUntilKill == 0)
        std::raise(SIGKILL);
}

KpxHandle largePicture() {
    return kfm::test::makePicture(600, 400, 24, kfm::test::testPattern);
}

// While the codec writes, the folder shows only the file that was there: the temporary file has
// no name until it replaces the target.
TEST(UnnamedTemporary, IsInvisibleInTheFolderDuringTheSave) {
    const kfm::test::TempDir dir;
    const std::string target = dir.file("picture.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(target, kOldContent));
    const KpxHandle picture = largePicture();
    watchedFolder = dir.path();
    seenDuringSave.clear();
    ASSERT_EQ(
        KPXSaveImage(picture, target.c_str(), formatNumber(FormatId::Bmp), 0, 0, lookIntoTheFolder),
        1);
    EXPECT_EQ(seenDuringSave, std::vector<std::string>{"picture.bmp"});
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"picture.bmp"});
    const KpxHandle back = KPXLoadImage(nullptr, target.c_str(), nullptr);
    ASSERT_NE(back, 0);
    EXPECT_TRUE(kfm::test::sameColors(back, picture));
    KPXDeleteImage(back);
    KPXDeleteImage(picture);
}

// A save whose process is killed half way, for BMP (written row by row into its own file) and
// GIF (written through the save's open file): the folder holds the old file, unchanged, and
// nothing else.
TEST(UnnamedTemporary, ASaveKilledPartWayLeavesNothingBehind) {
    for (const FormatId format : {FormatId::Bmp, FormatId::Gif}) {
        const kfm::test::TempDir dir;
        const std::string target = dir.file(format == FormatId::Bmp ? "a.bmp" : "a.gif");
        ASSERT_TRUE(kfm::test::writeFileBytes(target, kOldContent));
        const KpxHandle picture = largePicture();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            rowsUntilKill = 200;
            KPXSaveImageEx(picture, target.c_str(), formatNumber(format), 0, 0, dieAfterSomeRows);
            ::_exit(0); // not reached when the save calls the progress function as it writes
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{fs::path(target).filename()});
        EXPECT_EQ(kfm::test::readFileBytes(target), kOldContent);
        KPXDeleteImage(picture);
    }
}

} // namespace
