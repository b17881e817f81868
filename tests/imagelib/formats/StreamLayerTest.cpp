#include "Bitra5Testing.h"
#include "FormatDispatch.h"
#include "IoLayer.h"
#include "LibraryStartup.h"
#include "StreamLoading.h"

#include "FakeCodec.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <new>

namespace {

TEST(MemoryStream, ReadsWritesAndSeeksWithinBounds) {
    KpxMemoryStream stream;
    EXPECT_EQ(stream.write("abcdef", 6), 6);
    EXPECT_EQ(stream.size(), 6);
    EXPECT_EQ(stream.seek(-2, SEEK_END), 4);
    char buffer[8] = {};
    EXPECT_EQ(stream.read(buffer, 8), 2); // only what is there
    EXPECT_STREQ(buffer, "ef");
    EXPECT_EQ(stream.read(buffer, 8), 0);
    EXPECT_EQ(stream.seek(-1, SEEK_SET), -1);
    EXPECT_EQ(stream.seek(10, SEEK_SET), 10);
    EXPECT_EQ(stream.write("z", 1), 1); // writing past the end extends with zeros
    EXPECT_EQ(stream.size(), 11);
    EXPECT_EQ(stream.bytes()[8], 0);
    EXPECT_EQ(stream.seek(0, 7), -1);
}

TEST(ByteStreamHelpers, GetcPutcAndTell) {
    KpxMemoryStream stream;
    EXPECT_EQ(KpxOleStreamPutc(&stream, 0x1FF), 1);
    EXPECT_EQ(KpxOleStreamTell(&stream), 1u);
    EXPECT_EQ(KpxOleStreamSeek(&stream, SEEK_SET, 0), 0);
    EXPECT_EQ(KpxOleStreamGetc(&stream), 0xFF);
    EXPECT_EQ(KpxOleStreamGetc(&stream), 0); // read fails at the end
    EXPECT_EQ(KpxOleStreamGetc(nullptr), 0);
    EXPECT_EQ(KpxOleStreamPutc(nullptr, 1), 0);
}

TEST(IoLayer, UsesTheCurrentStreamWhenThereIsNoFile) {
    char buffer[4] = {};
    EXPECT_EQ(KpxIoRead(buffer, 1, 4, nullptr), 0u); // no medium: nothing happens
    EXPECT_EQ(KpxIoSeek(nullptr, 5, SEEK_SET), 0);
    EXPECT_EQ(KpxIoTell(nullptr), 0);
    KpxMemoryStream stream(std::vector<std::uint8_t>{1, 2, 3});
    {
        const kpx::CurrentStreamScope medium(&stream);
        EXPECT_EQ(KpxIoRead(buffer, 1, 4, nullptr), 3u); // a short read counts what arrived
        EXPECT_EQ(KpxIoTell(nullptr), 3);
        EXPECT_EQ(KpxIoWrite("xy", 1, 2, nullptr), 2u);
        EXPECT_EQ(KpxIoSeek(nullptr, 0, SEEK_SET), 0);
        EXPECT_EQ(KpxIoSeek(nullptr, -4, SEEK_SET), -1);
    }
    EXPECT_EQ(KpxGetCurrentStream(), nullptr);
    EXPECT_EQ(stream.size(), 5);
}

TEST(FileStream, OpenAndCloseReportThroughTheErrorSlot) {
    const kfm::test::TempDir dir;
    KpxStream stream{};
    EXPECT_EQ(KpxOpenFileStream(dir.file("missing").c_str(), "rb", 0, &stream), 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraCannotOpen);
    EXPECT_EQ(KpxOpenFileStream(nullptr, "rb", 0, &stream), 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraBadArgument);
    EXPECT_EQ(KpxCloseFileStream(&stream), 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraBadArgument);

    const std::string path = dir.file("data");
    kfm::test::writeFileBytes(path, {0, 1, 2, 3, 4, 5});
    ASSERT_EQ(KpxOpenFileStream(path.c_str(), "rb", 2, &stream), 1);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraNoError);
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(stream.calls.tell(&stream.calls), 2);
    EXPECT_EQ(stream.calls.read(&stream.calls, buffer, 8), 4u);
    EXPECT_EQ(buffer[0], 2);
    EXPECT_EQ(stream.calls.seek(&stream.calls, 0, SEEK_SET), 0);
    EXPECT_EQ(stream.calls.tell(&stream.calls), 0);
    EXPECT_EQ(KpxCloseFileStream(&stream), 1);
    EXPECT_EQ(stream.file, nullptr);
}

TEST(StreamLoading, MissingOrUnknownFilesLeaveTheirErrorCode) {
    const kfm::test::TempDir dir;
    EXPECT_EQ(KpxGetFileFormat(dir.file("missing.bmp").c_str(), 0), 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraCannotOpen);
    EXPECT_EQ(KpxGetFileFormat(nullptr, 0), 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraBadArgument);
    const std::string text = dir.file("notes.txt");
    kfm::test::writeFileBytes(text, {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(KpxGetFileFormat(text.c_str(), 1), 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraNotRecognised);
    EXPECT_EQ(KpxLoadImageFromFile(text.c_str(), 1, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraNotRecognised);
    EXPECT_EQ(KpxSniffStreamFormat(30, nullptr), 0);
}

// Throws what the test asks for, after filling part of the context.
std::function<void()> thrower;
KpxResult throwingInfo(KpxCodecContext* c, const char*, std::int32_t, KpxTransparentEntry*,
                       std::int32_t*) {
    c->width = 5;
    thrower();
    return kKpxOk;
}

TEST(Dispatch, ExceptionInsideACodecIsAFailure) {
    const KpxCodecEntry entry{70,      throwingInfo, nullptr, nullptr,
                              nullptr, nullptr,      nullptr, nullptr};
    KpxRegisterCodec(&entry);
    struct Case {
        std::function<void()> raise;
        KpxResult expected;
    };
    const Case cases[] = {
        {[] { throw BitraException(kBitraReadError); }, kKpxReadError},
        {[] { throw BitraException(kBitraOutOfMemory); }, kKpxOutOfMemory},
        {[] { throw BitraException(kBitraUnusable); }, kKpxBadData},
        {[] { throw std::bad_alloc(); }, kKpxOutOfMemory},
        {[] { throw 42; }, kKpxBadData},
        {[] {}, kKpxOk},
    };
    for (const Case& c : cases) {
        thrower = c.raise;
        KpxCodecContext context;
        EXPECT_EQ(KpxGetInfoByFormat(&context, "x.mac", 0, 70, nullptr, nullptr), c.expected);
    }
    // Once the test codec is gone, the built-in codec of the id (if any) answers again.
    KpxUnregisterCodec(70);
    const KpxCodecEntry builtIn = KpxFindCodec(70);
    KpxCodecContext direct;
    const KpxResult expected =
        builtIn.info ? builtIn.info(&direct, "x.mac", 0, nullptr, nullptr) : kKpxBadData;
    KpxCodecContext context;
    EXPECT_EQ(KpxGetInfoByFormat(&context, "x.mac", 0, 70, nullptr, nullptr), expected);
}

KpxCodecContext lastGifSave;
KpxResult recordGifSave(KpxCodecContext* c, const char*, KpxProgressProc,
                        const KpxTransparentEntry*, std::int32_t) {
    lastGifSave.transparentColor = c->transparentColor;
    lastGifSave.screenWidth = c->screenWidth;
    lastGifSave.screenHeight = c->screenHeight;
    return kKpxOk;
}

TEST(Dispatch, GifSaveGetsItsTransparentIndexAndScreen) {
    const KpxCodecEntry entry{20,      nullptr, nullptr, recordGifSave,
                              nullptr, nullptr, nullptr, nullptr};
    KpxRegisterCodec(&entry);
    KpxCodecContext context;
    context.width = 7;
    context.height = 3;
    context.transparentColor = 0x00123456;
    const KpxTransparentEntry index{0, 0, 9, 0, 1, 0, 0};
    const KpxTransparentEntry colour{1, 2, 3, 0, 0, 0, 0};
    EXPECT_EQ(KpxSaveByFormat(&context, "x.gif", 20, nullptr, &index, 1), kKpxOk);
    EXPECT_EQ(lastGifSave.transparentColor, 0x01090000u);
    EXPECT_EQ(lastGifSave.screenWidth, 7);
    EXPECT_EQ(lastGifSave.screenHeight, 3);
    EXPECT_EQ(KpxSaveByFormat(&context, "x.gif", 20, nullptr, &colour, 1), kKpxOk);
    EXPECT_EQ(lastGifSave.transparentColor, kKpxNoTransparentColor);
    context.frameCount = 2;
    context.screenWidth = 50;
    EXPECT_EQ(KpxSaveByFormat(&context, "x.gif", 20, nullptr, nullptr, 0), kKpxOk);
    EXPECT_EQ(lastGifSave.screenWidth, 50);
    KpxUnregisterCodec(20);
}

} // namespace
