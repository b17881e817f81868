#pragma once
// The classic look that pictures of system controls are made in: a fixed table of the classic
// system colours, the classic system metrics, one control font (Liberation Sans at 11 pixels
// without anti-aliasing, loaded from its file) and a palette built from the colour table. They
// depend on no desktop theme, so a control pictured here looks the same on every machine.

#include "types/Export.h"
#include "types/Win32Types.h"

class QFont;
class QPalette;

// GetSysColor indices.
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;
constexpr int COLOR_DESKTOP = COLOR_BACKGROUND;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT;

// GetSystemMetrics indices.
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_CXSIZE = 30;
constexpr int SM_CYSIZE = 31;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CYSMCAPTION = 51;
constexpr int SM_CXSMSIZE = 52;
constexpr int SM_CYSMSIZE = 53;
constexpr int SM_CXFIXEDFRAME = SM_CXDLGFRAME;
constexpr int SM_CYFIXEDFRAME = SM_CYDLGFRAME;

// Stock fonts: both are the control font.
constexpr int ANSI_VAR_FONT = 12;
constexpr int DEFAULT_GUI_FONT = 17;

extern "C" {
// The classic colour of a display element; 0 for an unknown index.
KFM_PLATFORM_API COLORREF GetSysColor(int index);
// The classic size of a display element in pixels; 0 for an unknown index.
KFM_PLATFORM_API int GetSystemMetrics(int index);
}

namespace kfm::gdi {

// The control font: Liberation Sans at 11 pixels, drawn without anti-aliasing, from its file
// (the regular face, or the bold one for captions). When the file cannot be loaded the family
// is asked of the font database. Needs a QGuiApplication.
enum class FontWeight { Regular, Bold };
KFM_PLATFORM_API QFont ControlFont(FontWeight weight = FontWeight::Regular);
// The font of a stock font index (ANSI_VAR_FONT, DEFAULT_GUI_FONT): the control font.
KFM_PLATFORM_API QFont StockFont(int index);
// A palette of the classic colours, the same in the active and inactive groups; disabled texts
// are grey and disabled fields have the face colour.
KFM_PLATFORM_API QPalette ClassicPalette();

} // namespace kfm::gdi
