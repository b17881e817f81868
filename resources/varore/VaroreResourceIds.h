#pragma once
// Ids of the distortion plug-in's own texts and of its dialog's controls. A label's text sits
// under the id of the control it names; the dialog's title under the template id.

namespace varoreres {

// Texts.
constexpr unsigned IDS_APP_NAME = 1;        // the plug-in's name
constexpr unsigned IDS_COMPUTING_FRAME = 2; // status while the preview is computed: frame, count
constexpr unsigned IDS_READY = 3;           // status when the preview is ready

// The distortion dialog and its controls.
constexpr unsigned IDD_SHIVER = 14000;
constexpr int IDC_PREVIEW = 14000;
constexpr int IDC_SEQUENCE = 14002;
constexpr int IDC_FIRST_UNDEFORMED = 14003;
constexpr int IDC_HORIZONTAL_MIN = 14004;
constexpr int IDC_HORIZONTAL_MAX = 14005;
constexpr int IDC_VERTICAL_MIN = 14008;
constexpr int IDC_VERTICAL_MAX = 14010;
constexpr int IDC_UPDATE_PREVIEW = 14012;
constexpr int IDC_FRAME_COUNT = 14013;
constexpr int IDC_FRAME_COUNT_SPIN = 14014;
constexpr int IDC_KEY_COUNT = 14015;
constexpr int IDC_KEY_COUNT_SPIN = 14016;
constexpr int IDC_TYPE = 14017;
constexpr int IDC_STATUS = 14018;
constexpr int IDC_DURATION = 14019;
constexpr int IDC_DURATION_SPIN = 14021;
constexpr int IDC_DIFFERENCES_ONLY = 14022;
constexpr int IDC_SEQUENCE_SPIN = 14023;

// Texts of the dialog without a control id of their own.
constexpr unsigned IDS_HORIZONTAL_GROUP = 14030; // " Vodorovné chvění "
constexpr unsigned IDS_VERTICAL_GROUP = 14031;   // " Svislé chvění "
constexpr unsigned IDS_MIN = 14032;
constexpr unsigned IDS_MAX = 14033;
constexpr unsigned IDS_TYPE_LABEL = 14034; // the label of the type combo
constexpr unsigned IDS_OK = 14035;
constexpr unsigned IDS_CANCEL = 14036;
// The nine entries of the type combo: IDS_TYPE_FIRST + type, type 0..8.
constexpr unsigned IDS_TYPE_FIRST = 14040;
constexpr int kTypeCount = 9;

} // namespace varoreres
