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
    // The new-animation dialog and its format dialog.
    {kfm5res::IDD_NEW_DOC, "New Animation"},
    {kfm5res::IDD_NEW_DOC_FORMAT, "New Format"},
    {kfm5res::IDS_BANNER_FIRST + 0, "Button 1"},
    {kfm5res::IDS_BANNER_FIRST + 1, "Button 2"},
    {kfm5res::IDS_BANNER_FIRST + 2, "Square button"},
    {kfm5res::IDS_BANNER_FIRST + 3, "Square pop-up"},
    {kfm5res::IDS_BANNER_FIRST + 4, "Half banner"},
    {kfm5res::IDS_BANNER_FIRST + 5, "Vertical navigation bar"},
    {kfm5res::IDS_BANNER_FIRST + 6, "Full banner"},
    {kfm5res::IDS_BANNER_FIRST + 7, "Micro bar"},
    {kfm5res::IDS_NEW_FORMAT_NAME, "My format"},
    {caption(10127), "&Delete Format"},
    {caption(10129), "&Height:"},
    {caption(10131), "Set as De&fault"},
    {caption(10132), "&Add Format..."},
    {caption(10133), "&Width:"},
    {caption(10135), "&Height:"},
    {caption(10137), "&Name:"},
    {caption(10138), "&Width:"},

    // The compression dialog.
    {kfm5res::IDD_COMPRESS, "Compression"},
    {kfm5res::IDS_COMPRESS_CAPTION, "Compression of %s"},
    {caption(10062), "&Huffman (CCITT) compression"},
    {caption(10063), "&Interlaced"},
    {caption(10065), "&Predictor"},
    {caption(10066), "&Quality setting"},
    {caption(10069), "&Quality (5 to 100):"},
    {caption(10070), "&LZW compression"},
    {caption(10071), "&No compression"},
    {caption(10072), "&RLE compression"},

    // The GIF details.
    {kfm5res::IDD_GIF_DETAILS, "GIF Details"},
    {kfm5res::IDS_GIF_COLUMN_NUMBER, "No."},
    {kfm5res::IDS_GIF_COLUMN_KIND, "Block"},
    {kfm5res::IDS_GIF_COLUMN_OFFSET, "Offset"},
    {kfm5res::IDS_GIF_COLUMN_SIZE, "Size"},
    {kfm5res::IDS_GIF_COLUMN_DETAILS, "Details"},
    {kfm5res::IDS_GIF_BLOCK_APPLICATION, "Application extension"},
    {kfm5res::IDS_GIF_BLOCK_COMMENT, "Comment extension"},
    {kfm5res::IDS_GIF_BLOCK_GRAPHIC_CONTROL, "Graphic control extension"},
    {kfm5res::IDS_GIF_BLOCK_GLOBAL_TABLE, "Global colour table"},
    {kfm5res::IDS_GIF_BLOCK_HEADER, "Header"},
    {kfm5res::IDS_GIF_BLOCK_IMAGE, "Image"},
    {kfm5res::IDS_GIF_BLOCK_LOCAL_TABLE, "Local colour table"},
    {kfm5res::IDS_GIF_BLOCK_EXTENSION, "Extension"},
    {kfm5res::IDS_GIF_BLOCK_PLAIN_TEXT, "Plain text extension"},
    {kfm5res::IDS_GIF_DETAIL_TABLE, "%d bits, %d colours"},
    {kfm5res::IDS_GIF_DETAIL_APPLICATION, "Identifier \"%s\""},
    {kfm5res::IDS_GIF_DETAIL_LOOPING, " (looping)"},
    {kfm5res::IDS_GIF_DETAIL_COMMENT, "\"%s\""},
    {kfm5res::IDS_GIF_DETAIL_HEADER, "Version %s, screen %d x %d"},
    {kfm5res::IDS_GIF_DETAIL_IMAGE, "%d x %d pixels"},

    // The font report.
    {kfm5res::IDD_FONT_SUBST, "Replaced Fonts"},
    {kfm5res::IDS_FONT_COLUMN_FRAME, "Frame"},
    {kfm5res::IDS_FONT_COLUMN_MISSING, "Missing font"},
    {kfm5res::IDS_FONT_COLUMN_REPLACED, "Replaced by"},

    // The print options.
    {kfm5res::IDD_PRINT_OPTIONS, "Print Options"},
    {caption(10225), "Print the frames in &order"},
    {caption(10226), "Fill &columns first"},
    {caption(10227), "Fill &rows first"},
    {caption(10228), "Print the frames &as stored"},
    {caption(10229), "Print the frames r&endered"},
    {caption(10230), "Draw a &rim around each frame"},
    {caption(10231), "Print the &title"},

    // The custom thumbnail size.
    {kfm5res::IDD_THUMB_SIZE, "Thumbnail Size"},
    {caption(10504), "&Height (80 to 468):"},
    {caption(10506), "&Width (80 to 468):"},
    // The preferences.
    {kfm5res::IDS_PREFERENCES_TITLE, "Preferences"},
    {kfm5res::IDD_PREF_GENERAL, "General"},
    {kfm5res::IDD_PREF_PREVIEW, "Preview"},
    {kfm5res::IDD_PREF_EDIT, "Edit"},
    {kfm5res::IDD_PREF_PLUGINS, "Plug-ins"},
    {kfm5res::IDS_NOT_A_PROGRAM, "%s\nis no program that can be started. Choose another file."},
    {kfm5res::IDS_PLUGIN_FOLDER_LISTED, "The folder is listed already."},
    {kfm5res::IDS_QUESTION_CLEAR_PLUGINS,
     "Remove every plug-in folder from the list? The plug-ins in them stay on the disk."},
    {kfm5res::IDS_CHOOSE_PLUGIN_FOLDER, "Choose a folder with plug-ins"},
    {kfm5res::IDS_PLUGIN_FOLDER_FAILED, "The folder could not be searched for plug-ins."},
    {caption(10058), "&Browse..."},
    {caption(10059), "&Bitmap editor:"},
    {caption(10189), "&Add Folder..."},
    {caption(10190), "Plug-ins found:"},
    {caption(10192), "&Remove"},
    {caption(10193), "&Clear"},
    {caption(10194), "Re&build"},
    {caption(10195), "Show &frames rendered in dialogs"},
    {caption(10196), "&Reset to Defaults"},
    {caption(10197), "&Undo steps (5 to 30):"},
    {caption(10199), "Find the &browsers automatically"},
    {caption(10200), "B&rowse..."},
    {caption(10201), "&Other browser:"},
    {caption(10206), "Br&owse..."},
    {caption(10207), "&First browser:"},
    {caption(10209), "Bro&wse..."},
    {caption(10210), "&Second browser:"},
    {caption(10525), "Show the &splash window at start-up"},
};

} // namespace

const KfmStringResource* kfm5FileDialogStrings(std::uint32_t* count) {
    *count = sizeof kStrings / sizeof kStrings[0];
    return kStrings;
}
