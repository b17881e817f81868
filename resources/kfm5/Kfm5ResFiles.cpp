// English texts of the file dialogs: new animation, AVI and FLIC import, compression options,
// GIF details, font report, print options and thumbnail size. A control's caption is the text
// kFileDlgTextBase + its id.

#include "Kfm5ResourceIds.h"
#include "Kfm5Resources.h"

namespace {

constexpr kfm5res::Id caption(kfm5res::Id control) {
    return kfm5res::kFileDlgTextBase + control;
}

constexpr KfmStringResource kStrings[] = {
    // The AVI and FLIC import dialogs.
    {kfm5res::IDD_AVI_FILTER, "Import AVI Video"},
    {kfm5res::IDD_FLIC_FILTER, "Import FLIC Animation"},
    {kfm5res::IDS_TIP_CLIP_END, "Go to the last frame"},
    {kfm5res::IDS_TIP_RANGE_END, "End the range at this frame"},
    {kfm5res::IDS_CLIP_LIMIT, "At most %d frames are imported."},
    {kfm5res::IDS_TIP_NEXT_FRAME, "Next frame"},
    {kfm5res::IDS_TIP_PLAY, "Play"},
    {kfm5res::IDS_TIP_PLAY_RANGE, "Play the range"},
    {kfm5res::IDS_TIP_PREVIOUS_FRAME, "Previous frame"},
    {kfm5res::IDS_TIP_CLIP_START, "Go to the first frame"},
    {kfm5res::IDS_TIP_RANGE_START, "Start the range at this frame"},
    {kfm5res::IDS_TIP_STOP, "Stop"},
    {kfm5res::IDS_CLIP_NOT_PLAYABLE,
     "The file\n%s\nholds no frames that can be shown, or its frames have no length. It cannot "
     "be imported."},
    {caption(10023), "Take e&very n-th frame:"},
    {caption(10026), "Length:"},
    {caption(10027), "Length:"},
    {caption(10028), "&Sound"},
    {caption(10029), "&Merge repeated frames"},
    {caption(10031), "Frames:"},
    {caption(10032), "&Number of frames:"},
    {caption(10037), "&Start frame:"},
    {caption(10042), "&All frames"},
    {caption(10047), "Range"},
    {caption(10048), "Range length:"},
    {caption(10049), "Starts at:"},
    {caption(10075), "Take e&very n-th frame:"},
    {caption(10077), "Starts at:"},
    {caption(10080), "&Loop"},
    {caption(10081), "&Merge repeated frames"},
    {caption(10083), "Frames:"},
    {caption(10084), "&Number of frames:"},
    {caption(10089), "&Start frame:"},
    {caption(10093), "Length:"},
    {caption(10094), "&All frames"},
    {caption(10100), "Range"},
    {caption(10101), "Range length:"},
};

} // namespace

const KfmStringResource* kfm5FileDialogStrings(std::uint32_t* count) {
    *count = sizeof kStrings / sizeof kStrings[0];
    return kStrings;
}
