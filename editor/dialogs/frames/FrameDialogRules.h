#pragma once
// The arithmetic of the frame dialogs, without widgets: proportional sides, the delay change and
// the resampling codes.

namespace kfm::dialogs {

constexpr int kMinSide = 1;
constexpr int kMaxSide = 9999;
constexpr int kMaxDelay = 32000;

// Width / height, or the fallback's when the height (or the width) is not above 0; 1 when both
// are empty.
double AspectRatio(int width, int height, int fallbackWidth, int fallbackHeight);
// The other side at the ratio, rounded half up and held to 1..9999.
int HeightForWidth(int width, double ratio);
int WidthForHeight(int height, double ratio);

// The total the adjust dialog shows after changing each of count delays by amount.
int TotalAfterAmount(int total, int count, int amount);
// The change of the total for a percentage.
int ChangeForPercent(int total, int percent);
// The percentage for a change of the total; 0 when the total is 0.
int PercentForChange(int total, int change);
// A delay changed by an amount or by a percentage of itself, held to 0..32000.
int DelayAfterAmount(int delay, int amount);
int DelayAfterPercent(int delay, int percent);

// The rotation's resampling code: the radio's index 0, 1, 2, and 2 with anti-aliasing gives 18.
int RotationResampling(int radio, bool antialias);
// The radio (0..2) and the anti-aliasing of a stored code; unknown codes give 0.
int RotationRadio(int code);
bool RotationAntialias(int code);
// The signed angle: counter-clockwise turns are negative.
int SignedAngle(int angle, bool counterClockwise);

// The text dialog's size list: 34 sizes, each once.
constexpr int kTextSizeCount = 34;
extern const int kTextSizes[kTextSizeCount];
constexpr int kMinTextSize = 8;
constexpr int kMaxTextSize = 134;
// A typed size held to the list's range.
int ClampTextSize(int typed);
// The list position of a size; -1 when the list lacks it.
int TextSizeIndex(int size);

// The range of the text's left (or top) edge: at least one pixel of the text stays on the
// canvas; with the elastic canvas the text never starts before 0.
struct PositionRange {
    int minimum = 0;
    int maximum = 0;
};
PositionRange TextPositionRange(int textSide, int canvasSide, bool elastic);

// The character sets of the text dialog, in its order, and their text ids.
constexpr int kTextCharsetCount = 8;
extern const int kTextCharsets[kTextCharsetCount];
// The style list: 0 regular, 1 bold, 2 bold italic, 3 italic.
int TextStyleOf(int weight, bool italic);
int TextStyleWeight(int style);
bool TextStyleItalic(int style);

} // namespace kfm::dialogs
