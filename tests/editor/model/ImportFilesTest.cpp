// Files chosen together in the import dialog: one undo step, in the dialog's order, after the
// current frame; a file that cannot be read is reported and the others still go in.

#include "DocumentTestSupport.h"

#include "ImportFiles.h"
#include "Kfm5ResourceIds.h"

#include <string>
#include <vector>

namespace {

class ImportFilesTest : public DocumentFixture {
protected:
    // Writes frames of the given seeds as a GIF and starts a new document again.
    std::string gifOf(const std::string& name, std::initializer_list<int> seeds) {
        animation().AnimationWidth = 8;
        animation().AnimationHeight = 8;
        for (const int seed : seeds)
            addPatternFrame(0, 0, 8, 8, seed).name = name + std::to_string(seed);
        const std::string path = files.file(name + ".gif");
        EXPECT_TRUE(doc->DoSave(path.c_str(), TRUE));
        doc->OnNewDocument();
        return path;
    }
    std::vector<std::string> comments() {
        std::vector<std::string> out;
        for (const CObjFrame& f : animation().frames)
            out.push_back(f.GetImage() ? f.name : "_");
        return out;
    }
};

TEST_F(ImportFilesTest, SeveralFilesGoInAfterTheCurrentFrameAsOneStep) {
    const std::string first = gifOf("first", {1, 2});
    const std::string second = gifOf("second", {3});
    const std::string damaged =
        kfm::test::testDataPath("gif-damaged/truncated-in-descriptor.gif").string();
    const std::string missing = files.file("not-there.gif");
    animation().AnimationWidth = 8;
    animation().AnimationHeight = 8;
    addPatternFrame(0, 0, 8, 8, 5).name = "a";
    addPatternFrame(0, 0, 8, 8, 6).name = "b";
    SetCurrentFrame(0);
    TheUndoHistory().Reset();
    const std::vector<std::string> before = comments();
    shellFake.boxes.clear();
    // Every reason names the file.
    for (const UINT id : {kfm5res::IDS_OPEN_FAILED, kfm5res::IDS_OPEN_EMPTY,
                          kfm5res::IDS_OPEN_NOT_A_PICTURE, kfm5res::IDS_OPEN_DAMAGED})
        shellFake.strings[id] = "cannot open %s";

    EXPECT_EQ(ImportFiles(*doc, {second, damaged, first, missing}, kUndoKindImport), 3);
    const std::vector<std::string> order = comments();
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order[0], "a");
    EXPECT_EQ(order[5], "_");
    EXPECT_EQ(order[4], "b");
    // The frames keep their files' order; a saved frame's name travels with it.
    EXPECT_EQ(animation().frameCount, 5);
    EXPECT_EQ(GetCurrentFrameIndex(), 1);
    EXPECT_EQ(GetSelFramesArray(), (std::vector<int>{1, 2, 3, -1}));
    EXPECT_EQ(frameAt(1).width, 8);
    // The damaged and the missing file are each reported by name.
    ASSERT_EQ(shellFake.boxes.size(), 2u);
    EXPECT_NE(shellFake.boxes[0].find("truncated-in-descriptor.gif"), std::string::npos);
    EXPECT_NE(shellFake.boxes[1].find("not-there.gif"), std::string::npos);

    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindImport);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(comments(), before);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(ImportFilesTest, NothingReadableMakesNoStep) {
    addPatternFrame(0, 0, 8, 8, 5);
    SetCurrentFrame(0);
    TheUndoHistory().Reset();
    const std::string damaged =
        kfm::test::testDataPath("gif-damaged/truncated-before-code-size.gif").string();
    EXPECT_EQ(ImportFiles(*doc, {damaged}, kUndoKindInsertVector), 0);
    EXPECT_EQ(animation().frameCount, 1);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    EXPECT_EQ(shellFake.boxes.size(), 1u);
    EXPECT_EQ(ImportFiles(*doc, {}, kUndoKindImport), 0);
}

} // namespace
