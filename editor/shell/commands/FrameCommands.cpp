#include "FrameCommands.h"

#include "Kfm5ResourceIds.h"

namespace kfm::ui {

using namespace kfm5res;

void FrameCommands::RouteCommands(CommandRouter& router) {
    routeWaiting(router, {ID_FRAME_NEW, ID_FRAME_NEW_TEXT, ID_FRAME_NEW_CONTROL,
                          ID_FRAME_EDIT_OBJECT, ID_FRAME_PALETTE, ID_FRAME_MIRROR_HORIZONTAL,
                          ID_FRAME_MIRROR_VERTICAL, ID_FRAME_ROTATE, ID_FRAME_RESIZE, ID_FRAME_CROP,
                          ID_FRAME_ADJUST_DELAYS, ID_FRAME_TWEEN, ID_FRAME_OBJECTS_TO_IMAGES,
                          ID_FRAME_MERGE, ID_FRAME_RENDER_STATES, ID_FRAME_DUPLICATE,
                          ID_FRAME_MOVE_EARLIER, ID_FRAME_MOVE_LATER});
    routeWaitingRange(router, ID_ALIGN_BOTTOM, ID_ALIGN_SPACE_DOWN);
}

} // namespace kfm::ui
