#pragma once
// Values the start-up and the main window derive from the settings: the program's data paths,
// the limits the readers put on stored values, and the first-start dates of the update reminder.

#include <string>

namespace kfm::shell {

// The program folder followed by the name a kind stands for: 0 "PlugInsAdobe.ini",
// 1 "PlugInsKeldo.ini", 2 "Plug-Ins", 3 "Samples". Writes out and returns 1; returns 0 for a
// null out, another kind, or a path that does not fit in size with its terminating zero.
int GetAppPath(int kind, char* out, int size);

// The first start's folders of the open and import dialogs: the program's "Samples" folder, as
// "OpenInitPath" of "Dlgs\FileOpenSave" and of "Dlgs\FileImportExport".
void InitDefaultFilePaths();

// The limits readers apply to stored settings, so that a damaged value (negative, huge) never
// reaches a window or an allocation. The stored values themselves are kept as they are.
struct AnimationSize {
    int width;
    int height;
};
// GIF sizes are 16-bit: 1 to 65535 pixels each way.
AnimationSize BoundedAnimationSize(int width, int height);
// One of the thumbnail size ids (80 to 184), else the default 80.
int BoundedThumbnailId(int id);
// 0 or 1.
int BoundedFlag(int value);

// The new document's first update: the initial animation size from the settings unless the
// new-animation dialog chose the size, no real frames and no comment.
void ApplyNewDocumentDefaults(bool keepSize);

// The update reminder's first start: when any of "UpdateInfo" LastDay, LastMonth, LastYear is
// missing, today's date is stored there. Returns the stored (or new) date.
struct ReminderDate {
    int day;
    int month;
    int year;
};
ReminderDate ReadOrStartReminderDate(int today, int thisMonth, int thisYear);

} // namespace kfm::shell
