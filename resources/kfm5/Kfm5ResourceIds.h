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
constexpr Id ID_STRIP_TOGGLE = 20072;
constexpr Id ID_STRIP_STACKED = 20073;
constexpr Id ID_STRIP_SIDE_BY_SIDE = 20074;
constexpr Id ID_HELP_WEB_PAGE = 20075;
constexpr Id ID_VIEW_ZOOM_ACTUAL = 20076;
constexpr Id ID_VIEW_ZOOM_OUT = 20077;
constexpr Id ID_VIEW_ZOOM_IN = 20078;
constexpr Id ID_FRAME_MERGE = 20152;
constexpr Id ID_FRAME_RENDER_STATES = 20156;

// Framework strings.
constexpr Id AFX_IDS_APP_TITLE = 57344;
constexpr Id AFX_IDS_IDLEMESSAGE = 57345;
constexpr Id AFX_IDS_UNTITLED = 61443;
constexpr Id AFX_IDP_ASK_TO_SAVE = 61699;

// The program's strings.
constexpr Id IDS_OLE_INIT_FAILED = 10680;
constexpr Id IDS_TITLE_IMPORT = 10771;
constexpr Id IDS_TITLE_OPEN = 10772;
constexpr Id IDS_TITLE_SAVE = 10773;
constexpr Id IDS_FILTER_ALL_FILES = 10791;
constexpr Id IDS_FILTER_GIF = 10793;
constexpr Id IDS_FILTER_PICTURES = 10810;
constexpr Id IDS_FRAME_COUNTER_EMPTY = 10900;
constexpr Id IDS_TOOLBAR_FRAMES = 10905;
constexpr Id IDS_TOOLBAR_ANIMATION = 10906;
constexpr Id IDS_TOOLBAR_STANDARD = 10907;
constexpr Id IDS_UPDATE_WIZARD = 10988;
constexpr Id IDS_WEB_ADDRESS = 10990;

} // namespace kfm5res
