#include "CodecContext.h"

#include <cstring>

namespace kpx {

void setDescription(KpxCodecContext& context, const char* text) {
    std::memset(context.description, 0, sizeof context.description);
    if (text)
        std::strncpy(context.description, text, kKpxDescriptionChars);
}

} // namespace kpx
