// The codecs built into the library. A codec joins by adding its entry here:
//     {formatId, info, load, save, streamInfo, streamLoad, streamSave, readStream},
// with null for the routines it does not have.

#include "FormatDispatch.h"
#include "bmi/BmiRoutines.h"
#include "bmp/BmpReader.h"
#include "bmp/BmpWriter.h"
#include "gif/GifReader.h"
#include "gif/GifWriter.h"
#include "ico/IcoRoutines.h"
#include "jpeg/JpegReader.h"
#include "jpeg/JpegWriter.h"
#include "macpaint/MacPaintRoutines.h"
#include "pcx/PcxRoutines.h"
#include "photocd/PcdReader.h"
#include "png/PngReader.h"
#include "png/PngWriter.h"
#include "tga/TgaRoutines.h"
#include "tiff/TiffReader.h"
#include "tiff/TiffWriter.h"
#include "wpg/WpgRoutines.h"

namespace {

constexpr KpxCodecEntry kBuiltInCodecs[] = {
    {0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}, // keeps the table non-empty
    {10, KpxPcxGetInfo, KpxPcxLoad, KpxPcxSave, nullptr, nullptr, nullptr, nullptr},
    {20, KpxGifGetInfo, KpxGifLoadFrame, KpxGifSave, nullptr, nullptr, nullptr, nullptr},
    {30, KpxTiffGetInfo, KpxTiffLoad, KpxTiffSave, nullptr, nullptr, nullptr, nullptr},
    {40, KpxBmpGetInfo, KpxBmpLoad, KpxBmpSave, KpxBmpGetInfoOleStream, KpxBmpLoadOleStream,
     KpxBmpSaveOleStream, KpxBmpReadStream},
    {50, KpxWpgGetInfo, KpxWpgLoad, KpxWpgSave, nullptr, nullptr, nullptr, nullptr},
    {60, KpxIcoGetInfo, KpxIcoLoad, KpxIcoSave, nullptr, nullptr, nullptr, nullptr},
    {70, KpxMacPaintGetInfo, KpxMacPaintLoad, KpxMacPaintSave, nullptr, nullptr, nullptr, nullptr},
    {80, KpxTgaGetInfo, KpxTgaLoad, KpxTgaSave, nullptr, nullptr, nullptr, nullptr},
    {90, KpxJpegGetInfo, KpxJpegLoad, KpxJpegSave, nullptr, nullptr, nullptr, KpxLoadJpegStream},
    {100, KpxPngGetInfo, KpxPngLoad, KpxPngSave, nullptr, nullptr, nullptr, nullptr},
    {110, KpxBmiGetInfo, KpxBmiLoad, KpxBmiSave, KpxBmiGetInfoOleStream, KpxBmiLoadOleStream,
     KpxBmiSaveOleStream, nullptr},
    {120, KpxPcdGetInfo, KpxPcdLoad, KpxPcdSave, nullptr, nullptr, nullptr, nullptr},
};

} // namespace

namespace kpx {

CodecTableView builtInCodecs() {
    return {kBuiltInCodecs, static_cast<int>(sizeof kBuiltInCodecs / sizeof kBuiltInCodecs[0])};
}

} // namespace kpx
