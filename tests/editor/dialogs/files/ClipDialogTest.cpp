// The AVI and FLIC import dialogs driven offscreen: the transport buttons, the slider and its
// range band, the count edit and the all-frames check on clips made by ffmpeg at test time and
// on the FLIC corpus; the preview's pictures against ffmpeg's decode and the corpus checksums;
// what an import with the chosen values takes; damaged files.

#include "ClipFiles.h"
#include "ClipImport.h"
#include "DlgAVIFilter.h"
#include "DlgFLICFilter.h"
#include "FlicCorpus.h"
#include "FlicPreview.h"
#include "NumEdit.h"
#include "VideoPreview.h"
#include "ViewTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using kfm::dialogs::CDlgAVIFilter;
using kfm::dialogs::CDlgFLICFilter;
using kfm::dialogs::ClipChoiceValues;
using kfm::dialogs::ClipFilterDialog;
using kfm::dialogs::FlicPreview;
using kfm::dialogs::VideoPreview;
using kfm::test::ArtifactPath;
using kfm::test::ClipPicture;
using kfm::test::WaitFor;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kClipFrames = 30;

QString text(const ClipFilterDialog& dialog, int id) {
    return dialog.kit().controlAs<QLabel>(id)->text();
}

void click(const ClipFilterDialog& dialog, int id) {
    QTest::mouseClick(dialog.kit().controlAs<QAbstractButton>(id), Qt::LeftButton);
}

// Replaces the text of an edit as the user types it.
void type(const ClipFilterDialog& dialog, int id, const QString& value) {
    auto* edit = dialog.kit().controlAs<kfm::ui::CNumEdit>(id);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, value);
}

// The preview's picture as ffmpeg's bgr24 rows.
ClipPicture bgrRows(const QImage& picture) {
    const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
    ClipPicture rows;
    for (int y = 0; y < bgr.height(); ++y)
        rows.insert(rows.end(), bgr.constScanLine(y), bgr.constScanLine(y) + bgr.width() * 3);
    return rows;
}

// The index plane of an 8-bit picture, top row first.
std::vector<std::uint8_t> indexPlane(KpxHandle image) {
    std::vector<std::uint8_t> plane;
    const std::uint8_t* bits = KPXGetBits(image);
    for (int y = KPXHeight(image) - 1; y >= 0; --y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(y) * KPXGetScanBytes(image);
        plane.insert(plane.end(), row, row + KPXWidth(image));
    }
    return plane;
}

class AviDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        using kfm::test::patternSource;
        const std::vector<kfm::test::ClipRecipe> clips = {
            {"mjpeg.avi", patternSource(kClipFrames, 25), "-c:v mjpeg -q:v 4", "mjpeg", true},
            {"raw.avi", patternSource(kClipFrames, 25), "-c:v rawvideo -pix_fmt bgr24", "", true},
            {"bframes.avi", patternSource(kClipFrames, 25), "-c:v mpeg4 -bf 2 -g 12 -q:v 3",
             "mpeg4", true},
        };
        const auto damage = [](const std::filesystem::path& at) {
            auto bytes = kfm::test::readFileBytes(at / "mjpeg.avi");
            auto cut = bytes;
            cut.resize(cut.size() / 3);
            auto header = bytes;
            header.resize(std::min<std::size_t>(header.size(), 200));
            for (std::size_t i = bytes.size() / 4; i < bytes.size() * 3 / 4; i += 7)
                bytes[i] = static_cast<std::uint8_t>(bytes[i] * 31 + 5);
            return kfm::test::writeFileBytes(at / "cut.avi", cut) &&
                   kfm::test::writeFileBytes(at / "header.avi", header) &&
                   kfm::test::writeFileBytes(at / "scrambled.avi", bytes);
        };
        folder = kfm::test::sharedClipFolder(
            "filedialogs", clips, {{"cut.avi"}, {"header.avi"}, {"scrambled.avi"}}, damage);
    }
    void SetUp() override {
        ASSERT_FALSE(folder.empty()) << "the ffmpeg tool is not installed or cannot make the clips";
    }
    static QString clip(const std::string& name) {
        return QString::fromStdString((folder / name).string());
    }
    static std::vector<ClipPicture> references(const std::string& name) {
        return kfm::test::bgrPictures(folder, name, kWidth, kHeight);
    }
    // A shown dialog over the clip.
    static std::unique_ptr<CDlgAVIFilter> openDialog(const std::string& name,
                                                     const ClipChoiceValues& values) {
        auto* preview = new VideoPreview;
        EXPECT_TRUE(preview->Open(clip(name))) << name;
        auto dialog =
            std::make_unique<CDlgAVIFilter>(nullptr, preview, clip(name), kMaxClipFrames, values);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        QApplication::processEvents();
        return dialog;
    }

    static inline std::filesystem::path folder;
};

TEST_F(AviDialogTest, TransportButtonsShowTheFramesFfmpegDecodes) {
    for (const std::string name : {"mjpeg.avi", "raw.avi", "bframes.avi"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(std::filesystem::exists(folder / name)) << "ffmpeg lacks the encoder";
        const auto theirs = references(name);
        ASSERT_EQ(theirs.size(), static_cast<std::size_t>(kClipFrames));
        const auto d = openDialog(name, {});
        const auto* preview = static_cast<VideoPreview*>(d->Preview());
        EXPECT_EQ(text(*d, CDlgAVIFilter::kClipFrames), "30");
        EXPECT_EQ(text(*d, CDlgAVIFilter::kClipLength), "00:01"); // 1.2 s
        EXPECT_EQ(d->Slider()->minimum(), 1);
        EXPECT_EQ(d->Slider()->maximum(), kClipFrames);

        struct Step {
            int button;
            int position; // from 1
        } const steps[] = {
            {CDlgAVIFilter::kNext, 2},      {CDlgAVIFilter::kNext, 3},
            {CDlgAVIFilter::kToEnd, 30},    {CDlgAVIFilter::kNext, 30},
            {CDlgAVIFilter::kPrevious, 29}, {CDlgAVIFilter::kToStart, 1},
            {CDlgAVIFilter::kPrevious, 1},  {CDlgAVIFilter::kNext, 2},
        };
        for (const Step& step : steps) {
            click(*d, step.button);
            d->FollowPosition();
            EXPECT_EQ(preview->Position(), step.position - 1);
            EXPECT_EQ(text(*d, CDlgAVIFilter::kPosition), QString::number(step.position));
            EXPECT_EQ(d->Slider()->value(), step.position);
            EXPECT_EQ(bgrRows(preview->Picture()), theirs[step.position - 1])
                << "frame " << step.position;
        }
        // The slider seeks, backwards through key frames too.
        for (const int at : {17, 4, 25}) {
            d->Slider()->setValue(at);
            EXPECT_EQ(preview->Position(), at - 1);
            EXPECT_EQ(bgrRows(preview->Picture()), theirs[at - 1]) << "slider at " << at;
        }
    }
}

TEST_F(AviDialogTest, RangeButtonsCountEditAndAllFramesShapeTheBand) {
    const auto d = openDialog("mjpeg.avi", {});
    auto* preview = d->Preview();
    EXPECT_EQ(d->Range().Start(), 1);
    EXPECT_EQ(d->Range().End(), kClipFrames);
    EXPECT_EQ(text(*d, CDlgAVIFilter::kLimitText), "At most 200 frames are imported.");

    d->Slider()->setValue(10);
    click(*d, CDlgAVIFilter::kSetRangeStart);
    d->Slider()->setValue(21);
    click(*d, CDlgAVIFilter::kSetRangeEnd);
    EXPECT_EQ(d->Slider()->SelectionStart(), 10);
    EXPECT_EQ(d->Slider()->SelectionEnd(), 21);
    EXPECT_EQ(d->kit().controlAs<kfm::ui::CNumEdit>(CDlgAVIFilter::kStart)->text(), "10");
    EXPECT_EQ(d->kit().controlAs<kfm::ui::CNumEdit>(CDlgAVIFilter::kCount)->text(), "12");
    EXPECT_EQ(text(*d, CDlgAVIFilter::kRangeLength), "00:00"); // 12 frames of 40 ms

    // The count edit: end = start + count - 1.
    type(*d, CDlgAVIFilter::kCount, "5");
    EXPECT_EQ(d->Range().End(), 14);
    EXPECT_EQ(d->Slider()->SelectionEnd(), 14);
    // A start beyond the end carries the end along.
    type(*d, CDlgAVIFilter::kStart, "20");
    EXPECT_EQ(d->Range().Start(), 20);
    EXPECT_EQ(d->Range().End(), 20);
    EXPECT_FALSE(d->kit().control(CDlgAVIFilter::kPlayRange)->isEnabled()); // one frame
    type(*d, CDlgAVIFilter::kCount, "25");
    EXPECT_EQ(d->Range().End(), kClipFrames);
    EXPECT_EQ(text(*d, CDlgAVIFilter::kRangeLength), "00:00"); // 11 frames
    EXPECT_TRUE(d->kit().control(CDlgAVIFilter::kPlayRange)->isEnabled());

    // Playing the range stops at its end; playing the clip stops at the last frame.
    click(*d, CDlgAVIFilter::kPlayRange);
    EXPECT_EQ(preview->Position(), 19);
    ASSERT_TRUE(WaitFor([&] { return !preview->IsPlaying(); }));
    d->FollowPosition();
    EXPECT_EQ(preview->Position(), kClipFrames - 1);
    EXPECT_EQ(text(*d, CDlgAVIFilter::kPosition), "30");
    EXPECT_EQ(text(*d, CDlgAVIFilter::kPositionTime), "00:01");
    d->Slider()->setValue(3);
    click(*d, CDlgAVIFilter::kPlay);
    EXPECT_TRUE(preview->IsPlaying());
    click(*d, CDlgAVIFilter::kStop);
    EXPECT_FALSE(preview->IsPlaying());
    click(*d, CDlgAVIFilter::kToEnd);
    click(*d, CDlgAVIFilter::kPlay); // from the end the play starts again at the first frame
    ASSERT_TRUE(WaitFor([&] { return !preview->IsPlaying(); }));
    EXPECT_EQ(preview->Position(), kClipFrames - 1);

    // All frames disables the range controls.
    d->kit().controlAs<QCheckBox>(CDlgAVIFilter::kAllFrames)->click();
    for (const int id : {CDlgAVIFilter::kStart, CDlgAVIFilter::kCount, CDlgAVIFilter::kPlayRange,
                         CDlgAVIFilter::kSetRangeStart, CDlgAVIFilter::kSetRangeEnd})
        EXPECT_FALSE(d->kit().control(id)->isEnabled()) << id;
    EXPECT_TRUE(d->kit().control(CDlgAVIFilter::kDivisor)->isEnabled());
    EXPECT_EQ(d->GetFrameCount(), kClipFrames);
    d->grab().save(ArtifactPath("avi-import-dialog.png"));
}

TEST_F(AviDialogTest, OkHandsBackTheChoiceAndTheImportTakesExactlyThoseFrames) {
    ClipChoiceValues values;
    values.start = 2;
    values.count = 6;
    values.divisor = 1;
    values.loop = true;
    const auto d = openDialog("bframes.avi", values);
    EXPECT_TRUE(d->kit().controlAs<QAbstractButton>(CDlgAVIFilter::kLoop)->isChecked());
    EXPECT_EQ(d->Range().Start(), 2);
    EXPECT_EQ(d->Range().End(), 7); // start + count - 1
    type(*d, CDlgAVIFilter::kStart, "4");
    type(*d, CDlgAVIFilter::kCount, "9");
    type(*d, CDlgAVIFilter::kDivisor, "3");
    d->kit().controlAs<QCheckBox>(CDlgAVIFilter::kSound)->click();
    d->kit().controlAs<QAbstractButton>(CDlgAVIFilter::kLoop)->click();
    click(*d, IDOK);
    ASSERT_EQ(d->result(), QDialog::Accepted);
    const ClipChoiceValues& chosen = d->Values();
    EXPECT_EQ(chosen.start, 4);
    EXPECT_EQ(chosen.count, 9);
    EXPECT_EQ(chosen.divisor, 3);
    EXPECT_TRUE(chosen.sound);
    EXPECT_FALSE(chosen.loop);
    EXPECT_FALSE(chosen.allFrames);

    // Frames 4 .. 12, every third: 4, 7 and 10 (from 1).
    FrameList list;
    ASSERT_EQ(ImportAviFrames(nullptr, list, clip("bframes.avi").toLocal8Bit().constData(),
                              chosen.start - 1, chosen.count, chosen.divisor, FALSE, nullptr,
                              nullptr),
              1);
    const auto theirs = references("bframes.avi");
    const std::vector<int> taken = {3, 6, 9};
    ASSERT_EQ(list.size(), taken.size());
    std::size_t i = 0;
    for (const CObjFrame& frame : list) {
        const auto image = static_cast<KpxHandle>(frame.GetImage());
        ClipPicture rows;
        const std::uint8_t* bits = KPXGetBits(image);
        for (int y = kHeight - 1; y >= 0; --y) {
            const std::uint8_t* row = bits + static_cast<std::size_t>(y) * KPXGetScanBytes(image);
            rows.insert(rows.end(), row, row + kWidth * 3);
        }
        EXPECT_EQ(rows, theirs[static_cast<std::size_t>(taken[i])]) << "frame " << taken[i];
        ++i;
    }
}

TEST_F(AviDialogTest, DamagedClipsOpenWithoutAPictureOrAreRefused) {
    for (const std::string name : {"cut.avi", "header.avi", "scrambled.avi"}) {
        SCOPED_TRACE(name);
        VideoPreview preview;
        if (!preview.Open(clip(name)) || !IsPlayableClip(preview))
            continue; // refused before any dialog opens
        // What opens can be stepped through to its end and back without a fault.
        for (int frame = 0; frame < preview.LengthFrames(); ++frame)
            preview.Seek(frame);
        preview.Seek(0);
        EXPECT_EQ(preview.Position(), 0);
    }
    VideoPreview missing;
    EXPECT_FALSE(missing.Open(clip("no-such-file.avi")));
    EXPECT_FALSE(IsPlayableClip(missing));
    VideoPreview notAvi;
    EXPECT_FALSE(
        notAvi.Open(QString::fromStdString(kfm::test::testDataPath("flic/a.fli").string())));
}

// ---------------------------------------------------------------- FLIC

class FlicDialogTest : public ::testing::Test {
protected:
    static QString path(const std::string& relative) {
        return QString::fromStdString(kfm::test::testDataPath(relative).string());
    }
    static std::string md5Of(const FlicPreview& preview) {
        return kfm::test::md5Hex(indexPlane(preview.Image()));
    }
};

TEST_F(FlicDialogTest, ThePreviewShowsEveryFrameAsTheCorpusChecksumsSay) {
    for (const char* name :
         {"a.fli", "hopper.fli", "hopper_palette_chunk_second.fli", "2422.flc"}) {
        SCOPED_TRACE(name);
        const auto expected = kfm::test::expectedFlicFrames(name);
        FlicPreview preview;
        ASSERT_TRUE(preview.Open(path(std::string("flic/") + name)));
        const int frames = preview.LengthFrames();
        ASSERT_GE(frames, 1);
        ASSERT_GE(expected.size(), static_cast<std::size_t>(frames));
        for (int i = 0; i < frames; ++i) {
            preview.Seek(i);
            EXPECT_EQ(md5Of(preview), expected[static_cast<std::size_t>(i)]) << "frame " << i;
        }
        if (frames == 1)
            continue;
        // Going back restarts the stream; going forward decodes on from where it is.
        const long long before = preview.FramesDecoded();
        preview.Seek(0);
        EXPECT_EQ(md5Of(preview), expected[0]);
        preview.Seek(frames / 2);
        EXPECT_EQ(md5Of(preview), expected[static_cast<std::size_t>(frames / 2)]);
        EXPECT_EQ(preview.FramesDecoded() - before, 1 + frames / 2);
    }
}

TEST_F(FlicDialogTest, TransportAndRangeDriveThePreview) {
    const QString file = path("flic/2422.flc");
    auto* preview = new FlicPreview;
    ASSERT_TRUE(preview->Open(file));
    const int frames = preview->LengthFrames();
    ASSERT_GE(frames, 6);
    const auto expected = kfm::test::expectedFlicFrames("2422.flc");
    ClipChoiceValues values;
    values.start = 2;
    values.count = 3;
    CDlgFLICFilter d(nullptr, preview, file, kMaxClipFrames, values);
    d.show();
    QApplication::processEvents();
    EXPECT_EQ(d.Range().Start(), 2);
    EXPECT_EQ(d.Range().End(), 4);
    EXPECT_EQ(d.Slider()->SelectionStart(), 2);
    EXPECT_EQ(d.Slider()->SelectionEnd(), 4);
    EXPECT_EQ(text(d, CDlgFLICFilter::kClipFrames), QString::number(frames));

    click(d, CDlgFLICFilter::kToEnd);
    EXPECT_EQ(text(d, CDlgFLICFilter::kPosition), QString::number(frames));
    click(d, CDlgFLICFilter::kPrevious);
    EXPECT_EQ(preview->Position(), frames - 2);
    EXPECT_EQ(md5Of(*preview), expected[static_cast<std::size_t>(frames - 2)]);
    d.Slider()->setValue(3); // go to frame 3
    EXPECT_EQ(md5Of(*preview), expected[2]);
    click(d, CDlgFLICFilter::kToStart);
    EXPECT_EQ(md5Of(*preview), expected[0]);
    click(d, CDlgFLICFilter::kPrevious); // nothing before the first frame
    EXPECT_EQ(preview->Position(), 0);

    // Playing the range shows its first frame and stops at its last.
    click(d, CDlgFLICFilter::kPlayRange);
    EXPECT_EQ(preview->Position(), 1);
    ASSERT_TRUE(WaitFor([&] { return !preview->IsPlaying(); }));
    EXPECT_EQ(preview->Position(), 3);
    EXPECT_EQ(md5Of(*preview), expected[3]);
    d.FollowPosition();
    EXPECT_EQ(text(d, CDlgFLICFilter::kPosition), "4");

    // The loop check makes the preview play on past the end.
    d.kit().controlAs<QCheckBox>(CDlgFLICFilter::kLoop)->click();
    EXPECT_TRUE(preview->Repeats());
    std::vector<int> shown;
    QObject::connect(preview, &kfm::dialogs::ClipPreview::shown,
                     [&](int frame) { shown.push_back(frame); });
    click(d, CDlgFLICFilter::kPlay);
    const auto wrapped = [&] {
        return std::adjacent_find(shown.begin(), shown.end(), std::greater<>()) != shown.end();
    };
    ASSERT_TRUE(WaitFor(wrapped));
    EXPECT_TRUE(preview->IsPlaying());
    const auto wrap = std::adjacent_find(shown.begin(), shown.end(), std::greater<>());
    EXPECT_EQ(*wrap, frames - 1);
    EXPECT_EQ(*std::next(wrap), 0);
    d.grab().save(ArtifactPath("flic-import-dialog.png"));
    click(d, IDCANCEL);
    EXPECT_FALSE(preview->IsPlaying()); // Cancel stops the preview
}

TEST_F(FlicDialogTest, OkHandsBackTheChoice) {
    const QString file = path("flic/a.fli");
    auto* preview = new FlicPreview;
    ASSERT_TRUE(preview->Open(file));
    ClipChoiceValues values;
    values.merge = true;
    CDlgFLICFilter d(nullptr, preview, file, kMaxClipFrames, values);
    d.show();
    ASSERT_EQ(preview->LengthFrames(), 384);
    EXPECT_EQ(d.Range().Start(), 1);
    EXPECT_EQ(d.Range().End(), 200); // no count yet: the whole file up to the limit
    EXPECT_EQ(d.GetFrameCount(), 200);
    d.kit().controlAs<QCheckBox>(CDlgFLICFilter::kAllFrames)->click();
    click(d, IDOK);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(d.Values().allFrames);
    EXPECT_TRUE(d.Values().merge);
    EXPECT_FALSE(d.Values().loop);
    EXPECT_EQ(d.Values().count, 200);
}

TEST_F(FlicDialogTest, DamagedFilesAreRefusedOrPlayWithoutAFault) {
    const auto folder = kfm::test::testDataPath("flic-damaged");
    int opened = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        FlicPreview preview;
        if (!preview.Open(QString::fromStdString(entry.path().string())))
            continue;
        ++opened;
        if (!IsPlayableClip(preview))
            continue; // refused with a message before the dialog opens
        for (int frame = 0; frame < preview.LengthFrames(); ++frame)
            preview.Seek(frame);
        preview.Seek(0);
        EXPECT_EQ(preview.Position(), 0);
    }
    EXPECT_GT(opened, 0);
}

} // namespace
