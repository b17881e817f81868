#include "CodecContext.h"

#include <cstring>
#include <memory>

#include "ImageRecord.h"

namespace kpx {

void resetContext(KpxCodecContext& context) {
    std::destroy_at(&context);
    std::construct_at(&context);
}

namespace {

template <typename Record> std::unique_ptr<Record> copyOf(const std::unique_ptr<Record>& record) {
    return record ? std::make_unique<Record>(*record) : nullptr;
}

} // namespace

void copyObjectRecords(const KpxImageRecord& image, KpxCodecContext& context) {
    context.textObject = copyOf(image.textObject);
    context.controlObject = copyOf(image.controlObject);
    context.vectorObject = copyOf(image.vectorObject);
    context.npImageObject = copyOf(image.npImageObject);
}

void setDescription(KpxCodecContext& context, const char* text) {
    std::memset(context.description, 0, sizeof context.description);
    if (text)
        std::strncpy(context.description, text, kKpxDescriptionChars);
}

} // namespace kpx
