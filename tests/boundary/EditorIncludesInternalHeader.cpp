// Built as part of the editor's model, this unit must not compile: the image library's own
// headers are private to it, and the editor reaches the library through Bitra5.h only.

#include "Bitra5.h"
#include "ImageRecord.h"

int main() {
    return KPXGetImageFramesNum(0);
}
