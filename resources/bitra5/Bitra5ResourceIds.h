#pragma once
// The string ids of the image library's language library Bitra5Res. The library, the editor and
// the resource tables all include this header, so a second language only has to supply the same
// ids.

#include <cstdint>

namespace bitra5res {

using Id = std::uint32_t;

// The notice shown for the GIF format.
constexpr Id IDS_GIF_NOTICE = 8105;

// Format names, one per row of the format table.
constexpr Id IDS_FORMAT_PCX = 8107;
constexpr Id IDS_FORMAT_GIF = 8108;
constexpr Id IDS_FORMAT_TIF = 8109;
constexpr Id IDS_FORMAT_BMP = 8110;
constexpr Id IDS_FORMAT_DIB = 8111;
constexpr Id IDS_FORMAT_RLE = 8112;
constexpr Id IDS_FORMAT_WPG = 8113;
constexpr Id IDS_FORMAT_ICO = 8114;
constexpr Id IDS_FORMAT_MAC = 8115;
constexpr Id IDS_FORMAT_TGA = 8116;
constexpr Id IDS_FORMAT_JPG = 8117;
constexpr Id IDS_FORMAT_JPEG = 8118;
constexpr Id IDS_FORMAT_PNG = 8119;
constexpr Id IDS_FORMAT_BMI = 8120;
constexpr Id IDS_FORMAT_PCD = 8121;

// Descriptions of file kinds: IDS_DESCRIPTION_FIRST + k for k = 0 .. kDescriptionCount - 1.
constexpr Id IDS_DESCRIPTION_FIRST = 8131;
constexpr int kDescriptionCount = 37;
constexpr Id IDS_DESCRIPTION_LAST = IDS_DESCRIPTION_FIRST + kDescriptionCount - 1; // 8167
// The GIF reader's words among them.
constexpr Id IDS_DESCRIPTION_INTERLACED = 8155;
constexpr Id IDS_DESCRIPTION_NOT_INTERLACED = 8156;
constexpr Id IDS_DESCRIPTION_TRANSPARENT = 8157;

// Messages of the editor's open.
constexpr Id IDS_FRAMES_NOT_READ = 8168;

// The Photo CD resolution dialog: a resolution entry (width, height), the memory line (the
// grouped byte count) and the default choice (width, height).
constexpr Id IDS_PCD_SIZE_ENTRY = 8170;
constexpr Id IDS_PCD_MEMORY = 8171;
constexpr Id IDS_PCD_DEFAULT_SIZE = 8172;

// The bitmap effect dialogs. Each template id is also the id of the dialog's title.
constexpr Id IDD_EFFECT_BRIGHTNESS = 8095;
constexpr Id IDD_EFFECT_TINT = 8096;
constexpr Id IDD_EFFECT_TWO_COLORS = 8097;
constexpr Id IDD_EFFECT_EDGES = 8098;
constexpr Id IDD_EFFECT_EMBOSS = 8099;
constexpr Id IDD_EFFECT_SHARPEN = 8100;
constexpr Id IDD_EFFECT_HUE = 8101;
constexpr Id IDD_EFFECT_MOSAIC = 8102;
constexpr Id IDD_EFFECT_BALANCE = 8103;
constexpr Id IDD_EFFECT_BLUR = 8104;

// Their controls. Each parameter k (0..2) has a slider, a spin control and an edit.
constexpr Id IDC_EFFECT_EMBOSS_COLOR = 8024;
constexpr Id IDC_EFFECT_COLOR_1 = 8025; // the colour of 0, or the tint colour
constexpr Id IDC_EFFECT_COLOR_2 = 8026; // the colour of 1
constexpr Id IDC_EFFECT_INVERT = 8029;
constexpr Id IDC_EFFECT_SLIDER = 8030; // + k
constexpr Id IDC_EFFECT_SPIN = 8033;   // + k
constexpr Id IDC_EFFECT_EDIT = 8036;   // + k
constexpr Id IDC_EFFECT_PREVIEW_SOURCE = 8040;
constexpr Id IDC_EFFECT_PREVIEW_RESULT = 8041;
constexpr Id IDC_EFFECT_COLOR_RAMP = 8042;
constexpr Id IDC_EFFECT_COLOR_FILL_1 = 8043;
constexpr Id IDC_EFFECT_COLOR_FILL_2 = 8044;
constexpr Id IDC_EFFECT_DITHER_FLOYD = 8053;
constexpr Id IDC_EFFECT_DITHER_ORDERED = 8054;
constexpr Id IDC_EFFECT_DITHER_NONE = 8055;
constexpr Id IDC_EFFECT_EMBOSS_FIRST = 8056; // the eight directions 8056..8063
constexpr Id IDC_EFFECT_EMBOSS_RESET = 8064;

// Their texts.
constexpr Id IDS_EFFECT_BRIGHTNESS = 8180;
constexpr Id IDS_EFFECT_CONTRAST = 8181;
constexpr Id IDS_EFFECT_RED = 8182;
constexpr Id IDS_EFFECT_GREEN = 8183;
constexpr Id IDS_EFFECT_BLUE = 8184;
constexpr Id IDS_EFFECT_HUE = 8185;
constexpr Id IDS_EFFECT_SATURATION = 8186;
constexpr Id IDS_EFFECT_PASSES = 8187;
constexpr Id IDS_EFFECT_BLUR_SIZE = 8188;
constexpr Id IDS_EFFECT_BLOCK_SIZE = 8189;
constexpr Id IDS_EFFECT_DITHERING = 8190;
constexpr Id IDS_EFFECT_DITHER_NONE = 8191;
constexpr Id IDS_EFFECT_DITHER_ORDERED = 8192;
constexpr Id IDS_EFFECT_DITHER_FLOYD = 8193;
constexpr Id IDS_EFFECT_COLOR_1 = 8194;
constexpr Id IDS_EFFECT_COLOR_2 = 8195;
constexpr Id IDS_EFFECT_TINT_COLOR = 8196;
constexpr Id IDS_EFFECT_EMBOSS_COLOR = 8197;
constexpr Id IDS_EFFECT_EMBOSS_RESET = 8198;
constexpr Id IDS_EFFECT_INVERT = 8199;
constexpr Id IDS_EFFECT_LIGHT_FROM = 8200;
constexpr Id IDS_EFFECT_DIRECTION_FIRST = 8201; // the eight directions in the order of 8056..8063
constexpr Id IDS_EFFECT_BEFORE = 8209;
constexpr Id IDS_EFFECT_AFTER = 8210;
constexpr Id IDS_EFFECT_OK = 8211;
constexpr Id IDS_EFFECT_CANCEL = 8212;
constexpr Id IDS_EFFECT_PREVIEW_HINT = 8213;

// Names of the multimedia formats: animations IDS_MEDIA_FORMAT_FIRST + 0 .. 10, sounds + 11 .. 19.
constexpr Id IDS_MEDIA_FORMAT_FIRST = 200;
// Names of the vector formats, and the descriptions of placeable and plain Windows metafiles.
constexpr Id IDS_VECTOR_WMF = 301;
constexpr Id IDS_VECTOR_EMF = 302;
constexpr Id IDS_VECTOR_KVP = 303;
constexpr Id IDS_VECTOR_KTF = 304;
constexpr Id IDS_VECTOR_KWE = 305;
constexpr Id IDS_VECTOR_CDR = 306;
constexpr Id IDS_VECTOR_DXF = 307;
constexpr Id IDS_VECTOR_PLT = 308;
constexpr Id IDS_VECTOR_KTF_STORAGE = 310;
constexpr Id IDS_VECTOR_HGL = 311;
constexpr Id IDS_VECTOR_EPS = 312;
constexpr Id IDS_VECTOR_AI = 313;
constexpr Id IDS_VECTOR_PDF = 314;
constexpr Id IDS_VECTOR_DWG = 315;
constexpr Id IDS_VECTOR_CMX = 316;
constexpr Id IDS_WMF_PLACEABLE = 320;
constexpr Id IDS_WMF_PLAIN = 321;

} // namespace bitra5res
