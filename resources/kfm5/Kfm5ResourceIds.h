#pragma once
// The resource ids of the editor's language library KFM5Res: command ids (which are also the ids
// of their menu prompts), strings, menus, toolbars and accelerators. The library and the program
// both include this header, so a second language only has to supply the same ids.

#include <cstdint>

namespace kfm5res {

using Id = std::uint32_t;

// Menus, toolbars, accelerators (the document template's resources share id 100).
constexpr Id kMainMenu = 100;
constexpr Id kMainAccelerators = 100;
constexpr Id kToolbarStandard = 100;
constexpr Id kToolbarAnimation = 103;
constexpr Id kToolbarFrames = 104;
// The context menu of the image edit window (sub-menu 0: zoom in, zoom out, actual size).
constexpr Id kMenuImageEdit = 111;

// The context menu of the frame strip and its drop menu (submenu 0 of each is shown); the canvas
// shows the image edit window's zoom menu.
constexpr Id kStripMenu = 110;
constexpr Id kCanvasMenu = kMenuImageEdit;
constexpr Id kDropMenu = 112;

// The frame strip's drop arrows (4 bits a pixel; entry 0 the background, entry 15 the arrow).
constexpr Id IDB_DROP_AFTER = 10006;
constexpr Id IDB_DROP_BEFORE = 10007;

// Framework commands.
constexpr Id ID_FILE_NEW = 57600;
constexpr Id ID_FILE_OPEN = 57601;
constexpr Id ID_FILE_SAVE = 57603;
constexpr Id ID_FILE_SAVE_AS = 57604;
constexpr Id ID_FILE_PRINT = 57607;
constexpr Id ID_FILE_MRU_FILE1 = 57616; // to ID_FILE_MRU_FILE1 + 4
constexpr Id ID_EDIT_COPY = 57634;
constexpr Id ID_EDIT_CUT = 57635;
constexpr Id ID_EDIT_PASTE = 57637;
constexpr Id ID_EDIT_PASTE_SPECIAL = 57639;
constexpr Id ID_EDIT_SELECT_ALL = 57642;
constexpr Id ID_EDIT_UNDO = 57643;
constexpr Id ID_APP_ABOUT = 57664;
constexpr Id ID_APP_EXIT = 57665;
constexpr Id ID_HELP_FINDER = 57667;
constexpr Id ID_CONTEXT_HELP = 57669;
constexpr Id ID_HELP = 57670;
constexpr Id ID_DEFAULT_HELP = 57671;
constexpr Id ID_VIEW_STATUS_BAR = 59393;

// Control-bar ids.
constexpr Id ID_STATUS_BAR = 59393;
constexpr Id ID_TOOLBAR_STANDARD = 59432;
constexpr Id ID_TOOLBAR_ANIMATION = 59433;
constexpr Id ID_TOOLBAR_FRAMES = 59434;

// The program's commands.
constexpr Id ID_STOP_PREVIEW = 1226;
constexpr Id ID_APPLY_SPLITTER_SIZES = 1225;
constexpr Id ID_EDIT_LABEL = 20000;
constexpr Id ID_DROP_COPY = 20001;
constexpr Id ID_DROP_MOVE = 20002;
constexpr Id ID_EDIT_DELETE = 20004;
constexpr Id ID_FILE_GIF_DETAILS = 20005;
constexpr Id ID_FILE_NEW_ANIMATION = 20006;
constexpr Id ID_FILE_PRINT_OPTIONS = 20007;
constexpr Id ID_FILE_REVERT = 20008;
constexpr Id ID_FILE_SEND_MAIL = 20009;
constexpr Id ID_TOOLS_PLUGIN_PREFERENCES = 20010;
constexpr Id ID_FILE_SAVE_FRAME = 20011;
constexpr Id ID_FRAME_EDIT_OBJECT = 20012;
constexpr Id ID_FRAME_PALETTE = 20013;
constexpr Id ID_FRAME_MIRROR_HORIZONTAL = 20014;
constexpr Id ID_FRAME_MIRROR_VERTICAL = 20015;
constexpr Id ID_FRAME_ADJUST_DELAYS = 20016;
constexpr Id ID_FRAME_NEW = 20017;
constexpr Id ID_FILE_IMPORT = 20018;
constexpr Id ID_FRAME_NEW_CONTROL = 20019;
constexpr Id ID_FRAME_NEW_TEXT = 20020;
constexpr Id ID_FILE_INSERT_VECTOR = 20021;
constexpr Id ID_FRAME_MOVE_LATER = 20022;
constexpr Id ID_FRAME_MOVE_EARLIER = 20023;
constexpr Id ID_FRAME_OBJECTS_TO_IMAGES = 20024;
constexpr Id ID_FRAME_RESIZE = 20025;
constexpr Id ID_FRAME_DUPLICATE = 20026;
constexpr Id ID_FRAME_ROTATE = 20027;
constexpr Id ID_FRAME_CROP = 20028;
constexpr Id ID_FRAME_TWEEN = 20029;
constexpr Id ID_TOOLS_UPDATE_WIZARD = 20030;
constexpr Id ID_ALIGN_BOTTOM = 20031;
constexpr Id ID_ALIGN_LEFT = 20032;
constexpr Id ID_ALIGN_RIGHT = 20033;
constexpr Id ID_ALIGN_TOP = 20034;
constexpr Id ID_ALIGN_CENTRE_HORIZONTAL = 20035;
constexpr Id ID_ALIGN_CENTRE_VERTICAL = 20036;
constexpr Id ID_ALIGN_SPACE_ACROSS = 20037;
constexpr Id ID_ALIGN_SPACE_DOWN = 20038;
constexpr Id ID_PLAYER_FIRST = 20039; // transport commands 20039 to 20045
constexpr Id ID_PLAYER_FILL = 20040;
constexpr Id ID_PLAYER_PREVIOUS = 20041;
constexpr Id ID_PLAYER_LAST = 20042;
constexpr Id ID_PLAYER_NEXT = 20043;
constexpr Id ID_PLAYER_PLAY = 20044;
constexpr Id ID_PLAYER_PAUSE = 20045;
constexpr Id ID_INDICATOR_FRAMES = 20046;
constexpr Id ID_INDICATOR_SPARE1 = 20047;
constexpr Id ID_INDICATOR_SPARE2 = 20048;
constexpr Id ID_VIEW_TOOLBAR_FRAMES = 20049;
constexpr Id ID_VIEW_TOOLBAR_STANDARD = 20050;
constexpr Id ID_VIEW_TOOLBAR_ANIMATION = 20051;
constexpr Id ID_VIEW_BROWSER_CUSTOM = 20052;
constexpr Id ID_VIEW_BROWSER_IE = 20053;
constexpr Id ID_VIEW_BROWSER_NN = 20054;
constexpr Id ID_EDIT_SELECT_NEXT = 20055;
constexpr Id ID_VIEW_PREVIEW = 20056;
constexpr Id ID_TOOLS_PREFERENCES = 20057;
constexpr Id ID_EDIT_SELECT_PREVIOUS = 20058;
constexpr Id ID_THUMBNAIL_FIRST = 20059; // thumbnail sizes 20059 to 20071
constexpr Id ID_THUMBNAIL_LAST = 20071;
constexpr Id ID_THUMBNAIL_CUSTOM_SIZE = 20070; // asks for the custom size
constexpr Id ID_STRIP_TOGGLE = 20072;
constexpr Id ID_STRIP_STACKED = 20073;
constexpr Id ID_STRIP_SIDE_BY_SIDE = 20074;
constexpr Id ID_HELP_WEB_PAGE = 20075;
constexpr Id ID_VIEW_ZOOM_ACTUAL = 20076;
constexpr Id ID_VIEW_ZOOM_OUT = 20077;
constexpr Id ID_VIEW_ZOOM_IN = 20078;
constexpr Id ID_FRAME_MERGE = 20152;
constexpr Id ID_FRAME_RENDER_STATES = 20156;
// One command per ".kfp" plug-in, and one per filter of the outside filter host.
constexpr Id ID_PLUGIN_FIRST = 41500;
constexpr Id ID_PLUGIN_LAST = 42998;
constexpr Id ID_FILTER_FIRST = 43500;
constexpr Id ID_FILTER_LAST = 44998;

// The animated preview window: its toolbar bitmap (play/pause, stretch) and its text when it
// has no frames.
constexpr Id kBitmapPreviewToolbar = 10000;
constexpr Id IDS_PREVIEW_EMPTY = 10687;

// The cursors of the image edit window's tools (pictures with a transparent background).
constexpr Id kCursorSelect = 10126;
constexpr Id kCursorZoomIn = 10594;
constexpr Id kCursorZoomOut = 10593;
constexpr Id kCursorPick = 10051;
constexpr Id kCursorPickVariantA = 10053;
constexpr Id kCursorPickVariantB = 10052;

// The small controls: the colour buttons' tooltips (a palette entry: index, red, green, blue,
// hexadecimal colour; a colour alone: red, green, blue, hexadecimal colour) and the corner
// control's mark on a selected side (10 x 10, transparent background).
constexpr Id IDS_PALETTE_COLOUR_TIP = 10908;
constexpr Id IDS_COLOUR_TIP = 10909;
constexpr Id kIconCornerMark = 10671;

// The palette dialogs: templates, field formats (one number each, the placeholder last), the
// image dialog's captions by mode, its tool buttons' icons (16 x 16, transparent background)
// and tooltips, and the captions of its controls (text ids equal to the control ids).
constexpr Id IDD_PALETTE_COLOUR = 10616;
constexpr Id IDD_PALETTE_IMAGE = 10617;
constexpr Id IDS_FIELD_BLUE = 10757;
constexpr Id IDS_FIELD_GREEN = 10758;
constexpr Id IDS_FIELD_INDEX = 10759;
constexpr Id IDS_FIELD_RED = 10760;
constexpr Id IDS_COLOUR_TABLE_COUNT = 10863;
constexpr Id IDS_USED_COLOUR_COUNT = 10864;
constexpr Id IDS_CAPTION_PALETTE_COLOURS = 10776;
constexpr Id IDS_CAPTION_TRANSPARENT_COLOUR = 10777;
constexpr Id kIconZoomOut = 10676;
constexpr Id kIconZoom = 10677;
constexpr Id kIconEyedropper = 10653;
constexpr Id kIconMakeTransparent = 10655;
constexpr Id kIconRestoreColour = 10654;
constexpr Id IDS_TIP_ZOOM = 10991;
constexpr Id IDS_TIP_ZOOM_OUT = 10992;
constexpr Id IDS_TIP_MAKE_TRANSPARENT = 10993;
constexpr Id IDS_TIP_RESTORE_COLOUR = 10994;
constexpr Id IDS_TIP_EYEDROPPER = 10995;
constexpr Id IDS_PALETTE_APPLY_SELECTION = 10157;
constexpr Id IDS_PALETTE_APPLY_LABEL = 10158;
constexpr Id IDS_PALETTE_METHOD_INDEX = 10159;
constexpr Id IDS_PALETTE_METHOD_COLOUR = 10160;
constexpr Id IDS_PALETTE_RESET = 10252;

// Framework strings.
constexpr Id AFX_IDS_APP_TITLE = 57344;
constexpr Id AFX_IDS_IDLEMESSAGE = 57345;
constexpr Id AFX_IDS_UNTITLED = 61443;
constexpr Id AFX_IDP_ASK_TO_SAVE = 61699;

// The program's strings.
constexpr Id IDS_OLE_INIT_FAILED = 10680;
constexpr Id IDS_QUESTION_EDGE_LOCKS = 10688;
constexpr Id IDS_QUESTION_CROP = 10756;
constexpr Id IDS_TITLE_IMPORT = 10771;
constexpr Id IDS_TITLE_OPEN = 10772;
constexpr Id IDS_TITLE_SAVE = 10773;
constexpr Id IDS_EXPORT_TITLE = 10761;
constexpr Id IDS_EXPORT_CONVERT_FAILED = 10762;
constexpr Id IDS_EXPORT_SAVE_FAILED = 10763;
constexpr Id IDS_EXPORT_RESIZE_FAILED = 10764;
constexpr Id IDS_EXPORT_REPLACE_FILE = 10765;
constexpr Id IDS_UNDO = 10781;
constexpr Id IDS_UNDO_SHORTCUT = 10782;
constexpr Id IDS_EXPORT_NO_IMAGE = 10783;
constexpr Id IDS_EMPTY_FRAMES_REMOVED = 10785;
constexpr Id IDS_WRITE_FAILED = 10786;
constexpr Id IDS_FILTER_ALL_FILES = 10791;
constexpr Id IDS_COMMENT_AVI_IMPORT = 10792;
constexpr Id IDS_FILTER_GIF = 10793;
constexpr Id IDS_FILTER_EXPORT = 10794;
constexpr Id IDS_FILTER_IMPORT_PICTURES = 10797;
constexpr Id IDS_COMMENT_FLIC_IMPORT = 10798;
constexpr Id IDS_FILTER_GIF_ONLY = 10799;
constexpr Id IDS_FILTER_VECTOR = 10809;
constexpr Id IDS_FILTER_PICTURES = 10810;
constexpr Id IDS_PREVIEW_PAGE = 10829;
constexpr Id IDS_METAFILE_FAILED = 10834;
constexpr Id IDS_EXPORT_LIBRARY_MISSING = 10847;
constexpr Id IDS_FILE_MISSING = 10852;
constexpr Id IDS_OPEN_FAILED = 10853;
constexpr Id IDS_NOT_GIF_NAME = 10854;
// Why a file could not be opened (its path first; the too-large text then width and height),
// and why a save left its file as it was.
constexpr Id IDS_OPEN_EMPTY = 11040;
constexpr Id IDS_OPEN_NOT_A_PICTURE = 11041;
constexpr Id IDS_OPEN_TOO_LARGE = 11042;
constexpr Id IDS_OPEN_DAMAGED = 11043;
constexpr Id IDS_SAVE_NOT_WRITABLE = 11044;
constexpr Id IDS_OPEN_NO_VIDEO_MODULE = 11045;
constexpr Id IDS_CAPTION_CLIP = 10872;
constexpr Id IDS_CAPTION_RENDERING = 10873;
constexpr Id IDS_CAPTION_GLOBAL_PALETTE = 10874;
constexpr Id IDS_CAPTION_ADAPTIVE_PALETTE = 10875;
constexpr Id IDS_CAPTION_DIFFERENCE = 10877;
constexpr Id IDS_CAPTION_LOADING = 10879;
constexpr Id IDS_CAPTION_BUILDING_FRAMES = 10880;
constexpr Id IDS_CAPTION_REBUILDING = 10881;
constexpr Id IDS_CAPTION_SAVING = 10882;
constexpr Id IDS_CAPTION_PREVIEW = 10883;
constexpr Id IDS_CAPTION_RESIZING = 10884;
constexpr Id IDS_CAPTION_REDUCING = 10885;
constexpr Id IDS_QUESTION_REVERT = 10887;
constexpr Id IDS_QUESTION_MAIL_MODIFIED = 10856;
constexpr Id IDS_REVERT_FAILED = 10889;
constexpr Id IDS_PROGRAM_START_FAILED = 10890;
constexpr Id IDS_QUESTION_CONVERT_FOR_FORMAT = 10888;
constexpr Id IDS_FRAME_COUNTER_EMPTY = 10900;
constexpr Id IDS_FRAME_LABEL_PLACEHOLDER = 10901;
constexpr Id IDS_FRAME_LABEL_PREFIX = 10903; // "%d" the frame's number from 1
constexpr Id IDS_TOOLBAR_FRAMES = 10905;
constexpr Id IDS_TOOLBAR_ANIMATION = 10906;
constexpr Id IDS_TOOLBAR_STANDARD = 10907;
constexpr Id IDS_UNDO_SIZE_CHANGES = 10950;
constexpr Id IDS_UPDATE_WIZARD = 10988;

// The plug-in menu: its item when no plug-in is listed, and the outside filter host's failures.
constexpr Id IDS_PLUGIN_MENU_EMPTY = 10805;
constexpr Id IDS_FILTER_PREPARE_FAILED = 10866;
constexpr Id IDS_FILTER_RUN_FAILED = 10867;
constexpr Id IDS_WEB_ADDRESS = 10990;

// The names of the undo steps, shown in the Undo menu item.
constexpr Id IDS_UNDO_ANIMATION_COMMENT = 10948;
constexpr Id IDS_UNDO_ANIMATION_SIZE = 10949;
constexpr Id IDS_UNDO_DELAY = 10951;
constexpr Id IDS_UNDO_ELASTIC_SIZE = 10952;
constexpr Id IDS_UNDO_FRAME_NAME = 10953;
constexpr Id IDS_UNDO_DUPLICATE_FRAMES = 10954;
constexpr Id IDS_UNDO_FRAME_LABEL = 10955;
constexpr Id IDS_UNDO_CUT = 10956;
constexpr Id IDS_UNDO_DELETE_FRAMES = 10957;
constexpr Id IDS_UNDO_EDIT_OBJECT = 10958;
constexpr Id IDS_UNDO_PALETTE = 10959;
constexpr Id IDS_UNDO_EDIT_CONTROL_OBJECT = 10960;
constexpr Id IDS_UNDO_PLUGIN = 10961;
constexpr Id IDS_UNDO_MIRROR_HORIZONTALLY = 10962;
constexpr Id IDS_UNDO_MIRROR_VERTICALLY = 10963;
constexpr Id IDS_UNDO_NEW_FRAME = 10964;
constexpr Id IDS_UNDO_IMPORT = 10965;
constexpr Id IDS_UNDO_NEW_CONTROL_OBJECT = 10966;
constexpr Id IDS_UNDO_NEW_TEXT_OBJECT = 10967;
constexpr Id IDS_UNDO_INSERT_VECTOR = 10968;
constexpr Id IDS_UNDO_MOVE_FRAMES = 10969;
constexpr Id IDS_UNDO_PASTE = 10970;
constexpr Id IDS_UNDO_RESIZE = 10971;
constexpr Id IDS_UNDO_ROTATE = 10972;
constexpr Id IDS_UNDO_CROP = 10973;
constexpr Id IDS_UNDO_TWEEN = 10974;
constexpr Id IDS_UNDO_LOOP = 10975;
constexpr Id IDS_UNDO_LOOP_COUNT = 10976;
constexpr Id IDS_UNDO_LOOP_MODE = 10977;
constexpr Id IDS_UNDO_OPTIMISE = 10978;
constexpr Id IDS_UNDO_MOVE = 10979;
constexpr Id IDS_UNDO_ALPHA = 10980;
constexpr Id IDS_UNDO_TRANSPARENCY = 10981;
constexpr Id IDS_UNDO_TRANSPARENT_COLOUR = 10982;
constexpr Id IDS_UNDO_DISPOSAL = 10983;
constexpr Id IDS_UNDO_MERGE_FRAMES = 10996;
constexpr Id IDS_UNDO_OBJECTS_TO_IMAGES = 10997;
constexpr Id IDS_UNDO_RENDER_STATES = 10998;
constexpr Id IDS_CAPTION_ANIMATION_STATES = 10999;

// The property sheet's pages: questions, kinds of frame, tool tips, list items and the texts of
// the optimiser's size display.
constexpr Id IDS_QUESTION_SHRINK_ANIMATION = 10886;
constexpr Id IDS_QUESTION_KEEP_LARGER = 10862;
constexpr Id IDS_FRAME_KIND_IMAGE = 10814;
constexpr Id IDS_FRAME_KIND_TRUE_COLOUR = 10815;
constexpr Id IDS_FRAME_KIND_GRADED_ALPHA = 10816;
constexpr Id IDS_FRAME_KIND_CONTROL = 10817;
constexpr Id IDS_FRAME_KIND_TEXT = 10818;
constexpr Id IDS_FRAME_KIND_VECTOR = 10819;
constexpr Id IDS_TIP_DISPOSAL = 10904;
constexpr Id IDS_TIP_LINE_SPEED = 10910;
constexpr Id IDS_SIZE_BYTES = 10917;
constexpr Id IDS_SIZE_NOT_MEASURED = 10918;
constexpr Id IDS_TIP_RUN_OPTIMISER = 10919;
constexpr Id IDS_METHOD_FIXED_PALETTE = 10920;
constexpr Id IDS_TIP_METHOD = 10921;
constexpr Id IDS_METHOD_128 = 10923;
constexpr Id IDS_METHOD_16 = 10924;
constexpr Id IDS_METHOD_256 = 10925;
constexpr Id IDS_METHOD_32 = 10926;
constexpr Id IDS_METHOD_64 = 10927;
constexpr Id IDS_METHOD_8 = 10928;
constexpr Id IDS_METHOD_FINE_PALETTE = 10929;
constexpr Id IDS_TIME_MINUTES = 10931;
constexpr Id IDS_TIME_SECONDS = 10932;
constexpr Id IDS_TIP_GRID_COLOUR = 10933;
constexpr Id IDS_TIP_GRID_SIZE = 10934;
constexpr Id IDS_GRID_COLOUR_FIRST = 10936; // to 10943
constexpr Id IDS_GRID_SIZE_LARGE = 10944;
constexpr Id IDS_GRID_SIZE_MEDIUM = 10945;
constexpr Id IDS_GRID_NONE = 10946;
constexpr Id IDS_GRID_SIZE_SMALL = 10947;
constexpr Id IDS_DECIMAL_POINT = 11000;
constexpr Id IDS_SIZE_KILOBYTES = 11001;

// The property pages: their templates (whose texts are the tab captions) and the texts of
// their labels, choices and list items.
constexpr Id IDD_PAGE_ANIMATION = 10612;
constexpr Id IDD_PAGE_FRAME = 10613;
constexpr Id IDD_PAGE_OPTIMIZE = 10614;
constexpr Id IDD_PAGE_OPTIONS = 10615;
constexpr Id IDS_PAGE_WIDTH = 11100;
constexpr Id IDS_PAGE_HEIGHT = 11101;
constexpr Id IDS_PAGE_EDGE_LOCKS = 11102;
constexpr Id IDS_PAGE_FIXED_SIZE = 11103;
constexpr Id IDS_PAGE_ELASTIC_SIZE = 11104;
constexpr Id IDS_PAGE_LOOP = 11105;
constexpr Id IDS_PAGE_LOOP_FOREVER = 11106;
constexpr Id IDS_PAGE_LOOP_TIMES = 11107;
constexpr Id IDS_PAGE_COMMENT = 11108;
constexpr Id IDS_PAGE_FRAME_COUNT = 11109;
constexpr Id IDS_PAGE_LEFT = 11110;
constexpr Id IDS_PAGE_TOP = 11111;
constexpr Id IDS_PAGE_DELAY = 11112;
constexpr Id IDS_PAGE_DISPOSAL = 11113;
constexpr Id IDS_PAGE_TRANSPARENCY = 11114;
constexpr Id IDS_PAGE_ALPHA = 11115;
constexpr Id IDS_PAGE_TRANSPARENT_COLOUR = 11116;
constexpr Id IDS_PAGE_NAME = 11117;
constexpr Id IDS_PAGE_ALWAYS_SHOWN = 11118;
constexpr Id IDS_PAGE_LOCKED = 11119;
constexpr Id IDS_PAGE_KIND = 11121;
constexpr Id IDS_DISPOSAL_LEAVE = 11122;
constexpr Id IDS_DISPOSAL_PREVIOUS = 11123;
constexpr Id IDS_DISPOSAL_BACKGROUND = 11124;
constexpr Id IDS_TRANSPARENCY_OPAQUE = 11125;
constexpr Id IDS_TRANSPARENCY_COLOUR = 11126;
constexpr Id IDS_TRANSPARENCY_ALPHA = 11127;
constexpr Id IDS_PAGE_PICK_COLOUR = 11128;
constexpr Id IDS_PAGE_OPTIMISE_PALETTE = 11130;
constexpr Id IDS_PAGE_KEEP_PALETTES = 11131;
constexpr Id IDS_PAGE_METHOD = 11132;
constexpr Id IDS_PAGE_COLOURS = 11133;
constexpr Id IDS_PAGE_DITHER = 11134;
constexpr Id IDS_PAGE_REDUNDANT_PIXELS = 11135;
constexpr Id IDS_PAGE_REMOVE_COMMENTS = 11136;
constexpr Id IDS_PAGE_REMOVE_TITLES = 11137;
constexpr Id IDS_PAGE_SPECIAL_INFO = 11138;
constexpr Id IDS_PAGE_DIFF_METHOD = 11139;
constexpr Id IDS_PAGE_LINE_SPEED = 11140;
constexpr Id IDS_PAGE_RUN_OPTIMISER = 11141;
constexpr Id IDS_PAGE_SIZE_BEFORE = 11142;
constexpr Id IDS_PAGE_SIZE_AFTER = 11143;
constexpr Id IDS_PAGE_SPEED_FORMAT = 11144;
constexpr Id IDS_PAGE_ANIM_BACKGROUND = 11150;
constexpr Id IDS_PAGE_CANVAS_COLOUR = 11151;
constexpr Id IDS_PAGE_GRID_SIZE = 11152;
constexpr Id IDS_PAGE_GRID_COLOUR = 11153;
constexpr Id IDS_PAGE_THUMB_POSITION = 11154;
constexpr Id IDS_PAGE_THUMB_FRAME = 11155;
constexpr Id IDS_PAGE_THUMB_TRANSPARENCY = 11156;
constexpr Id IDS_PAGE_DEFAULTS = 11157;

// The About dialog, its details dialog, the outside editor's two notices and the toolbars'
// context menu (sub-menu 0: the toolbar and status-bar toggles). The controls' captions are the
// texts whose ids equal the control ids; a link failure says 10830; 10855 names the changed
// frame ("%d", its number).
constexpr Id IDD_ABOUT = 10595;
constexpr Id IDD_ABOUT_DETAILS = 10597;
constexpr Id IDD_MSG_EDITOR = 10603;
constexpr Id IDD_FRAME_CHANGED = 10604;
constexpr Id IDC_ABOUT_TITLE = 10014;
constexpr Id IDC_ABOUT_VERSION = 10013;
constexpr Id IDC_ABOUT_COPYRIGHT = 10012;
constexpr Id IDC_ABOUT_NOTE = 10011;
constexpr Id IDC_ABOUT_PICTURE = 10015;
constexpr Id IDC_ABOUT_DETAILS = 10054;
constexpr Id IDC_MSG_EDITOR_SHOW_NEXT_TIME = 10123;
constexpr Id IDC_FRAME_CHANGED_END_EDIT = 10124;
constexpr Id IDC_FRAME_CHANGED_TEXT = 10125;
constexpr Id IDS_LINK_OPEN_FAILED = 10830;
constexpr Id IDS_FRAME_CHANGED = 10855;
constexpr Id kToolbarMenu = 102;
// The frame dialogs: tween, resize, rotate, vector size, new frame and delays. The captions of
// check boxes, radios and group labels are the texts whose ids equal the control ids; the field
// labels that no control id names follow from 11700.
constexpr Id IDD_ADJUST_FRAMES = 10602;
constexpr Id IDD_NEW_FRAME = 10607;
constexpr Id IDD_RESIZE = 10619;
constexpr Id IDD_ROTATE = 10620;
constexpr Id IDD_SIZE_VECTOR = 10639;
constexpr Id IDD_TWEEN = 10648;
constexpr Id IDS_TWEEN_NOTHING_BETWEEN = 10788;
constexpr Id IDS_TWEEN_NOTHING_SELECTED = 10789;
constexpr Id IDS_TWEEN_ORDER = 10790;
constexpr Id IDS_CAPTION_TWEENING = 10876;
// The picture that links width and height while the proportions are kept, and the two turning
// directions; white shows as the button face.
constexpr Id IDB_PROPORTIONS = 10008;
constexpr Id IDB_ROTATE_COUNTER_CLOCKWISE = 10009;
constexpr Id IDB_ROTATE_CLOCKWISE = 10010;
constexpr Id IDS_LABEL_WIDTH = 11700;
constexpr Id IDS_LABEL_HEIGHT = 11701;
constexpr Id IDS_LABEL_TWEEN_FIRST = 11702;
constexpr Id IDS_LABEL_TWEEN_SECOND = 11703;
constexpr Id IDS_LABEL_TWEEN_COUNT = 11704;
constexpr Id IDS_LABEL_TWEEN_DELAY = 11705;
constexpr Id IDS_LABEL_TWEEN_PICTURES = 11706;
constexpr Id IDS_TWEEN_PICTURES_BOTH = 11707;
constexpr Id IDS_TWEEN_PICTURES_FIRST = 11708;
constexpr Id IDS_TWEEN_PICTURES_SECOND = 11709;
constexpr Id IDS_LABEL_INTERPOLATION = 11710;
constexpr Id IDS_LABEL_ANGLE = 11711;
constexpr Id IDS_LABEL_RESAMPLING = 11712;
constexpr Id IDS_LABEL_NEW_FRAME_SOURCE = 11713;
constexpr Id IDS_NEW_FRAME_SOURCE_CUSTOM = 11714;
constexpr Id IDS_NEW_FRAME_SOURCE_CALLER = 11715;
constexpr Id IDS_NEW_FRAME_SOURCE_ANIMATION = 11716;
constexpr Id IDS_LABEL_NEW_FRAME_COLOUR = 11717;
constexpr Id IDS_LABEL_TOTAL_CHANGE = 11718;
constexpr Id IDS_RESULT_TOTAL = 11719;
constexpr Id IDS_EMPTY_RESULT = 11720;

// The text settings dialog: its styles, character sets, captions and the size line; the
// captions of its check boxes are the texts of their control ids, the labels follow from 11730.
constexpr Id IDD_TEXT_SETTINGS = 10645;
constexpr Id IDS_STYLE_REGULAR = 10846;
constexpr Id IDS_STYLE_BOLD = 10843;
constexpr Id IDS_STYLE_BOLD_ITALIC = 10844;
constexpr Id IDS_STYLE_ITALIC = 10845;
constexpr Id IDS_CHARSET_WESTERN = 10897;
constexpr Id IDS_CHARSET_HEBREW = 10893;
constexpr Id IDS_CHARSET_ARABIC = 10889;
constexpr Id IDS_CHARSET_GREEK = 10892;
constexpr Id IDS_CHARSET_BALTIC = 10890;
constexpr Id IDS_CHARSET_CENTRAL_EUROPEAN = 10894;
constexpr Id IDS_CHARSET_CYRILLIC = 10891;
constexpr Id IDS_CHARSET_SYMBOL = 10895;
constexpr Id IDS_TEXT_DEFAULT = 10693;
constexpr Id IDS_TEXT_SIZE_INFO = 10694;
constexpr Id IDS_CAPTION_EDIT_TEXT = 10778;
constexpr Id IDS_CAPTION_NEW_TEXT = 10779;
constexpr Id IDS_LABEL_TEXT = 11730;
constexpr Id IDS_LABEL_FACE = 11731;
constexpr Id IDS_LABEL_STYLE = 11732;
constexpr Id IDS_LABEL_SIZE = 11733;
constexpr Id IDS_LABEL_CHARSET = 11734;
constexpr Id IDS_LABEL_TEXT_COLOUR = 11735;
constexpr Id IDS_LABEL_LEFT = 11736;
constexpr Id IDS_LABEL_TOP = 11737;
constexpr Id IDS_LABEL_SHADOW_COLOUR = 11738;
constexpr Id IDS_LABEL_SHADOW_X = 11739;
constexpr Id IDS_LABEL_SHADOW_Y = 11740;
constexpr Id IDS_LABEL_SHADOW_TRANSPARENCY = 11741;
constexpr Id IDS_TIP_MOVE_TEXT = 11742;
constexpr Id IDS_TEXT_UNRENDERABLE = 11743;
constexpr Id IDS_TEXT_CHARACTER_MISSING = 11744;

// Texts of the About dialogs and the editor notice that no control id names: the web link, the
// mail link, the details and the notice's message.
constexpr Id IDS_ABOUT_WEB_LINK = 11500;
constexpr Id IDS_ABOUT_MAIL_LINK = 11501;
constexpr Id IDS_ABOUT_MAIL_ADDRESS = 11502;
constexpr Id IDS_ABOUT_DETAILS_TEXT = 11503;
constexpr Id IDS_MSG_EDITOR_TEXT = 11504;

// The update check and outside editing: the update settings dialog and the wizard's two pages,
// the outcome texts (10832 a newer build, 10833 a newer version, 10984 none newer, 10985 no
// usable reply) and the outside editor's messages ("%s", the file). The controls' captions are
// the texts whose ids equal the control ids; 11540 and on name texts no control id names.
constexpr Id IDD_UPDATE_SETTINGS = 10649;
constexpr Id IDD_UPDATE_INTRO = 10650;
constexpr Id IDD_UPDATE_RESULT = 10651;
constexpr Id IDC_UPDATE_PORT = 10575;
constexpr Id IDC_UPDATE_DIRECT = 10576;
constexpr Id IDC_UPDATE_SERVER_LABEL = 10577;
constexpr Id IDC_UPDATE_SERVER = 10578;
constexpr Id IDC_UPDATE_USE_PROXY = 10579;
constexpr Id IDC_UPDATE_PORT_LABEL = 10580;
constexpr Id IDC_UPDATE_PROXY_GROUP = 10581;
constexpr Id IDC_UPDATE_REMINDER = 10582;
constexpr Id IDC_UPDATE_SETTINGS_BUTTON = 10585;
constexpr Id IDC_UPDATE_NEWS_LABEL = 10586;
constexpr Id IDC_UPDATE_CHECKING = 10587;
constexpr Id IDC_UPDATE_OUTCOME = 10588;
constexpr Id IDC_UPDATE_NEWS = 10589;
constexpr Id IDC_UPDATE_LINK = 10591;
constexpr Id IDS_EDITOR_START_FAILED = 10787;
constexpr Id IDS_UPDATE_NEWER_BUILD = 10832;
constexpr Id IDS_UPDATE_NEWER_VERSION = 10833;
constexpr Id IDS_UPDATE_CURRENT = 10984;
constexpr Id IDS_UPDATE_NO_REPLY = 10985;
constexpr Id IDS_UPDATE_REMINDER_LABEL = 11540;
constexpr Id IDS_UPDATE_INTRO_TEXT = 11541;
constexpr Id IDS_UPDATE_LINK_URL = 11542;
constexpr Id IDS_UPDATE_REMIND_FIRST = 11543; // to 11546: never, 30, 60 and 180 days
constexpr Id IDS_EDITOR_FILE_NOT_WRITTEN = 11547;

// The clipboard: a picture of the frames that could not be passed, and the formats of Paste
// Special with what pasting each does.
constexpr Id IDS_CLIPBOARD_FRAMES_FAILED = 10784;
constexpr Id IDD_PASTE_SPECIAL = 10719;
constexpr Id IDS_PASTE_AS = 10718;
constexpr Id IDS_PASTE_NAME_DIB = 10728;
constexpr Id IDS_PASTE_NAME_ENHMETAFILE = 10729;
constexpr Id IDS_PASTE_NAME_METAFILEPICT = 10730;
constexpr Id IDS_PASTE_NAME_FRAMES = 10731;
constexpr Id IDS_PASTE_RESULT_DIB = 10732;
constexpr Id IDS_PASTE_RESULT_ENHMETAFILE = 10733;
constexpr Id IDS_PASTE_RESULT_METAFILEPICT = 10734;
constexpr Id IDS_PASTE_RESULT_FRAMES = 10735;

// The system-control dialog: its template, the emulations' templates (the dialog and the
// message box, each while worked and when captured), its captions by mode, its view buttons'
// icons (16 x 16, transparent background) and tooltips, the message-box buttons, and the texts
// of its controls: the type list's rows in list order, labels, and its two messages.
constexpr Id IDD_SYSCONTROL = 10640;
constexpr Id IDD_SYSCONTROL_DIALOG = 10641;
constexpr Id IDD_SYSCONTROL_DIALOG_CAPTURE = 10642;
constexpr Id IDD_SYSCONTROL_MESSAGEBOX = 10643;
constexpr Id IDD_SYSCONTROL_MESSAGEBOX_CAPTURE = 10644;
constexpr Id IDS_SYSCONTROL_EDIT_CAPTION = 10774;
constexpr Id IDS_SYSCONTROL_NEW_CAPTION = 10775;
constexpr Id kIconPlacementView = 10656;
constexpr Id kIconControlView = 10674;
constexpr Id IDS_TIP_CONTROL_VIEW = 10898;
constexpr Id IDS_TIP_PLACEMENT_VIEW = 10899;
constexpr Id IDS_MB_ABORT = 10721;
constexpr Id IDS_MB_CANCEL = 10722;
constexpr Id IDS_MB_IGNORE = 10723;
constexpr Id IDS_MB_NO = 10724;
constexpr Id IDS_MB_OK = 10725;
constexpr Id IDS_MB_RETRY = 10726;
constexpr Id IDS_MB_YES = 10727;
constexpr Id IDS_SC_TYPE_FIRST = 11400; // to 11418, the rows of the type list
constexpr Id IDS_SC_TYPE = 11420;
constexpr Id IDS_SC_GENERAL = 11421;
constexpr Id IDS_SC_CLIENT_EDGE = 11422;
constexpr Id IDS_SC_STATIC_EDGE = 11423;
constexpr Id IDS_SC_MODAL_FRAME = 11424;
constexpr Id IDS_SC_DISABLED = 11425;
constexpr Id IDS_SC_FOCUS = 11426;
constexpr Id IDS_SC_LEFT = 11427;
constexpr Id IDS_SC_TOP = 11428;
constexpr Id IDS_SC_WIDTH = 11429;
constexpr Id IDS_SC_HEIGHT = 11430;
constexpr Id IDS_SC_TEXT = 11431;
constexpr Id IDS_SC_ADD_ITEM = 11432;
constexpr Id IDS_SC_REPLACE_ITEM = 11433;
constexpr Id IDS_SC_DELETE_ITEM = 11434;
constexpr Id IDS_SC_TODAY = 11435;
constexpr Id IDS_SC_ITEM_TOO_LONG = 11436;
constexpr Id IDS_SC_CAPTURE_FAILED = 11437;
constexpr Id IDS_SC_POSITION = 11438;

// The system-control pages (templates 10621 to 10638 and 10652, one per kind of control) and the
// icon chooser (template 1099, its title the text 1099). The caption or label of a page control
// is the text kScPageTextBase + the control's id; the entries of the pages' lists have their own
// texts, in list order where a range is given.
constexpr Id IDD_ICON_CHOOSER = 1099;
constexpr Id kScPageTextBase = 30000;
constexpr Id IDS_SCP_LEFT = 11440;
constexpr Id IDS_SCP_CENTRED = 11441;
constexpr Id IDS_SCP_RIGHT = 11442;
constexpr Id IDS_SCP_HORIZONTAL = 11443;
constexpr Id IDS_SCP_VERTICAL = 11444;
constexpr Id IDS_SCP_BOTH_SIDES = 11445;
constexpr Id IDS_SCP_TOP_LEFT = 11446;
constexpr Id IDS_SCP_BOTTOM_RIGHT = 11447;
constexpr Id IDS_SCP_SIMPLE = 11448;
constexpr Id IDS_SCP_DROP_DOWN = 11449;
constexpr Id IDS_SCP_DROP_DOWN_LIST = 11450;
constexpr Id IDS_SCP_TAB_NORMAL = 11451;
constexpr Id IDS_SCP_TAB_FIXED_WIDTH = 11452;
constexpr Id IDS_SCP_TAB_RAGGED_RIGHT = 11453;
constexpr Id IDS_SCP_SHORT_DATE = 11454;
constexpr Id IDS_SCP_LONG_DATE = 11455;
constexpr Id IDS_SCP_TIME = 11456;
constexpr Id IDS_SCP_BUTTON_SET_FIRST = 11457; // to 11462, the message box's six button sets
constexpr Id IDS_SCP_ICON_FIRST = 11463;       // to 11466, the four message-box icons
constexpr Id IDS_SCP_ANOTHER_ICON = 11467;
constexpr Id IDS_SCP_NO_ICON = 11468;

// The file dialogs: new animation, AVI and FLIC import, compression, GIF details, font report,
// print options and thumbnail size. The caption or label of one of their controls is the text
// kFileDlgTextBase + the control's id.
constexpr Id kFileDlgTextBase = 40000;
constexpr Id IDD_AVI_FILTER = 10596;
constexpr Id IDD_GIF_DETAILS = 10598;
constexpr Id IDD_COMPRESS = 10599;
constexpr Id IDD_FLIC_FILTER = 10600;
constexpr Id IDD_FONT_SUBST = 10601;
constexpr Id IDD_NEW_DOC = 10605;
constexpr Id IDD_NEW_DOC_FORMAT = 10606;
constexpr Id IDD_PRINT_OPTIONS = 10618;
constexpr Id IDD_THUMB_SIZE = 10646;
constexpr Id IDS_TIP_CLIP_END = 10795;
constexpr Id IDS_TIP_RANGE_END = 10796;
constexpr Id IDS_CLIP_LIMIT = 10800; // "%d" the import limit
constexpr Id IDS_TIP_NEXT_FRAME = 10801;
constexpr Id IDS_TIP_PLAY = 10802;
constexpr Id IDS_TIP_PLAY_RANGE = 10803;
constexpr Id IDS_TIP_PREVIOUS_FRAME = 10804;
constexpr Id IDS_TIP_CLIP_START = 10806;
constexpr Id IDS_TIP_RANGE_START = 10807;
constexpr Id IDS_TIP_STOP = 10808;
constexpr Id IDS_FONT_COLUMN_FRAME = 10811;
constexpr Id IDS_FONT_COLUMN_REPLACED = 10812;
constexpr Id IDS_FONT_COLUMN_MISSING = 10813;
constexpr Id IDS_GIF_BLOCK_APPLICATION = 10820;
constexpr Id IDS_GIF_BLOCK_COMMENT = 10821;
constexpr Id IDS_GIF_BLOCK_GRAPHIC_CONTROL = 10822;
constexpr Id IDS_GIF_BLOCK_GLOBAL_TABLE = 10823;
constexpr Id IDS_GIF_BLOCK_HEADER = 10824;
constexpr Id IDS_GIF_BLOCK_IMAGE = 10825;
constexpr Id IDS_GIF_BLOCK_LOCAL_TABLE = 10826;
constexpr Id IDS_GIF_BLOCK_EXTENSION = 10827;
constexpr Id IDS_GIF_BLOCK_PLAIN_TEXT = 10828;
constexpr Id IDS_GIF_DETAIL_TABLE = 10701;       // "%d" bits, "%d" colours
constexpr Id IDS_GIF_DETAIL_APPLICATION = 10698; // "%s" the application id
constexpr Id IDS_GIF_DETAIL_LOOPING = 10699;
constexpr Id IDS_GIF_DETAIL_COMMENT = 10702; // "%s"
constexpr Id IDS_GIF_DETAIL_HEADER = 10703;  // "%s" the version, "%d" width, "%d" height
constexpr Id IDS_GIF_DETAIL_IMAGE = 10704;   // "%d" width, "%d" height
constexpr Id IDS_GIF_COLUMN_DETAILS = 10705;
constexpr Id IDS_GIF_COLUMN_NUMBER = 10706;
constexpr Id IDS_GIF_COLUMN_OFFSET = 10707;
constexpr Id IDS_GIF_COLUMN_SIZE = 10708;
constexpr Id IDS_GIF_COLUMN_KIND = 10709;
constexpr Id IDS_BANNER_FIRST = 10835;     // to 10842, the eight predefined animation sizes
constexpr Id IDS_COMPRESS_CAPTION = 10851; // "%s" the format's name
constexpr Id IDS_NEW_FORMAT_NAME = 10857;
constexpr Id IDS_CLIP_NOT_PLAYABLE = 11480; // "%s" the file
// The preferences sheet.
constexpr Id IDD_PREF_EDIT = 10608;
constexpr Id IDD_PREF_GENERAL = 10609;
constexpr Id IDD_PREF_PLUGINS = 10610;
constexpr Id IDD_PREF_PREVIEW = 10611;
constexpr Id IDS_NOT_A_PROGRAM = 10858; // "%s" the path
constexpr Id IDS_PLUGIN_FOLDER_LISTED = 10865;
constexpr Id IDS_QUESTION_CLEAR_PLUGINS = 10868;
constexpr Id IDS_CHOOSE_PLUGIN_FOLDER = 10869;
constexpr Id IDS_PLUGIN_FOLDER_FAILED = 10870;
constexpr Id IDS_PREFERENCES_TITLE = 10871;

} // namespace kfm5res
