// Duplicating the selection and moving it one place: order, selection, ids and images.

#include "FrameOrder.h"

#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

class FrameOrderTest : public ModelTest {
protected:
    // Real frames named by the letters of names; those in selected are selected, the first of
    // them current.
    void makeFrames(const std::string& names, const std::string& selected) {
        for (const char name : names) {
            CObjFrame& f = addFrame(0, 0, 4, 3);
            f.name = std::string(1, name);
            f.selected = selected.find(name) != std::string::npos;
        }
        for (CObjFrame& f : animation().frames)
            if (f.selected) {
                f.current = 1;
                break;
            }
    }
    std::string order() {
        std::string out;
        for (const CObjFrame& f : animation().frames)
            out += f.GetImage() ? f.name : "_";
        return out;
    }
    std::string selection() {
        std::string out;
        for (const CObjFrame& f : animation().frames)
            if (f.selected)
                out += f.GetImage() ? f.name : "_";
        return out;
    }
};

TEST_F(FrameOrderTest, MovesSpliceTheSelectionPastItsNeighbour) {
    const struct {
        const char* names;
        const char* selected;
        bool earlier;
        int moved;
        const char* order;
    } cases[] = {
        {"abcde", "c", true, 1, "acbde_"},
        {"abcde", "c", false, 1, "abdce_"},
        {"abcde", "bc", true, 1, "bcade_"},
        {"abcde", "bc", false, 1, "adbce_"},
        // Not contiguous: the selection gathers in front of (behind) the neighbour.
        {"abcde", "bd", true, 1, "bdace_"},
        {"abcde", "bd", false, 1, "acebd_"},
        {"abcde", "ce", true, 1, "acebd_"},
        // At the ends nothing moves.
        {"abcde", "a", true, 0, "abcde_"},
        {"abcde", "ac", true, 0, "abcde_"},
        {"abcde", "e", false, 0, "abcde_"},
        {"abcde", "ce", false, 0, "abcde_"},
        {"abcde", "", true, 0, "abcde_"},
        {"abcde", "", false, 0, "abcde_"},
    };
    for (const auto& c : cases) {
        animation().frames.clear();
        animation().ResetFrames();
        makeFrames(c.names, c.selected);
        std::vector<int> ids;
        std::set<std::uint16_t> images;
        for (const CObjFrame& f : animation().frames) {
            ids.push_back(f.GetID());
            images.insert(f.GetImage());
        }
        const int moved = c.earlier ? MoveSelectedFramesEarlier() : MoveSelectedFramesLater();
        const std::string label =
            std::string(c.names) + " [" + c.selected + "] " + (c.earlier ? "earlier" : "later");
        EXPECT_EQ(moved, c.moved) << label;
        EXPECT_EQ(order(), c.order) << label;
        EXPECT_EQ(selection(), c.selected) << label;
        // The nodes themselves moved: the same ids and images, nothing copied.
        std::set<std::uint16_t> after;
        std::multiset<int> idsAfter;
        for (const CObjFrame& f : animation().frames) {
            after.insert(f.GetImage());
            idsAfter.insert(f.GetID());
        }
        EXPECT_EQ(after, images) << label;
        EXPECT_EQ(idsAfter, std::multiset<int>(ids.begin(), ids.end())) << label;
    }
}

TEST_F(FrameOrderTest, MovesRefuseASelectedPlaceholder) {
    makeFrames("abc", "b");
    animation().frames.back().selected = 1;
    EXPECT_EQ(MoveSelectedFramesEarlier(), 0);
    EXPECT_EQ(MoveSelectedFramesLater(), 0);
    EXPECT_EQ(order(), "abc_");
}

TEST_F(FrameOrderTest, CopiesFollowTheLastRealFrameWithIdsOfTheirOwn) {
    makeFrames("abcd", "bd");
    EXPECT_EQ(CopyFramesList(), 2);
    EXPECT_EQ(order(), "abcdbd_");
    EXPECT_EQ(animation().frameCount, 6);
    // The copies are the selection, the first of them current.
    EXPECT_EQ(selection(), "bd");
    EXPECT_EQ(GetSelFramesArray(), (std::vector<int>{4, 5, -1}));
    EXPECT_EQ(GetCurrentFrameIndex(), 4);
    std::set<int> ids;
    for (const CObjFrame& f : animation().frames)
        EXPECT_TRUE(ids.insert(f.GetID()).second) << "id " << f.GetID() << " twice";
    // A copy shows its source's picture.
    EXPECT_EQ(KPXCompareImages(static_cast<KpxHandle>(frameAt(1).GetImage()),
                               static_cast<KpxHandle>(frameAt(4).GetImage())),
              1);
    DeselectAllFrames();
    EXPECT_EQ(CopyFramesList(), 0);
    EXPECT_EQ(order(), "abcdbd_");
}

} // namespace
