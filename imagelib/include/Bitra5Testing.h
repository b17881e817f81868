#pragma once
// Exports that exist for the library's own tests, fuzz targets and benchmarks only; programs never
// call them. Each is declared here once; the library's units include this header. Internal
// records appear only as opaque names.

#include <cstdint>
#include <cstdio>

#include "Bitra5.h"

struct KpxCodecContext;
struct KpxCodecEntry;
struct KpxImageRecord;
struct KpxRowLayout;
struct KpxStream;

// Result of a codec routine (values in ResultCodes.h); the front ends turn any non-zero value
// into a null handle or 0.
using KpxResult = std::uint16_t;

// -------------------- Probes

// The calling thread's error slot (-1 when the slot is not allocated); for tests.
BITRA5_API int KpxGetLastErrorForTest();

// How many times the GIF routines have read a file from disk (for tests).
BITRA5_API unsigned long KpxGifFileReadCountForTest();

// KpxFindCodec and KpxGetRowLayout return internal records by value; only C++ callers use them.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif

// -------------------- LibraryStartup: start-up, shutdown, resource texts, error slot
BITRA5_API void KpxProcessAttach(HINSTANCE instance);
BITRA5_API void KpxProcessDetach();
BITRA5_API void KpxSetModuleInstance(HINSTANCE instance);
BITRA5_API void KpxAllocErrorSlot();
BITRA5_API void KpxFreeErrorSlot();
BITRA5_API void KpxSetLastError(int code);
BITRA5_API void KpxInitLibrary();
BITRA5_API void KpxExitLibrary();
BITRA5_API void KpxWarmUpDrawDib();
// Description text k (string IDS_DESCRIPTION_FIRST + k), loaded at start-up; empty for k out of
// range.
BITRA5_API const char* KpxGetDescriptionText(int k);

// -------------------- ImageTable: image handles, records and permission words
BITRA5_API void KpxInitImageTable();
BITRA5_API KpxHandle KpxNewImageHandle();
BITRA5_API void KpxStoreImageSlot(KpxImageRecord* record);
BITRA5_API void KpxFreeImageSlot(std::int32_t id);
BITRA5_API int KpxFindFreeHandle(std::int32_t* id, KpxImageRecord** previous,
                                 KpxImageRecord** next);
BITRA5_API KpxImageRecord* KpxFindImage(std::int32_t id);
// Takes the permission word in mode 1 (read), 2 (write) or 4 (draw). Readers share the word and
// are counted; any other holder is waited for in 10 ms steps, 300 at most, after which the image
// is taken anyway. A write lock drops the cached checksum, since the caller may change the pixels.
BITRA5_API KpxImageRecord* KpxLockImage(std::int32_t id, std::int32_t mode);
// Value 0 gives up one hold: the word is free once the last reader has left, and then the
// deletes asked for while it was held are carried out (the record may be gone afterwards).
// A non-zero value sets the word.
BITRA5_API void KpxUnlockImage(KpxImageRecord* record, std::int32_t value);
BITRA5_API std::int32_t KpxGetImagePermission(std::int32_t id, std::int32_t clear);
BITRA5_API KpxImageRecord* KpxLockFirstFrame(KpxImageRecord* record, std::int32_t mode);
// Drops one reference; returns the remaining count (0 when freed or refused).
BITRA5_API std::int32_t KpxReleaseImage(std::int32_t id, std::int32_t deleteBitmap);
// Drops one reference with the bitmap: at once when no one holds the image, else when its last
// holder lets go. Returns 0 only when no image has the id.
BITRA5_API int KpxDeleteImageReference(std::int32_t id);
BITRA5_API void KpxFreeAllImages();
BITRA5_API void KpxImageChecksum(KpxImageRecord* record);
// Forgets the cached checksum after a change of pixels or colour table.
BITRA5_API void KpxInvalidateChecksum(KpxImageRecord* record);
// Adds one reference under the table lock; returns the new count (0 for a null record).
BITRA5_API std::int32_t KpxAddImageReference(KpxImageRecord* record);
// Number of live records (for diagnostics and tests).
BITRA5_API int KpxLiveImageCount();

// -------------------- ImageCreation: image creation
// Depth normalisation: below 2 -> 1, 2..4 -> 4, 5..8 -> 8, 9..24 -> 24, above 24 -> 32.
BITRA5_API int KpxNormalizeDepth(int depth);

// -------------------- ByteStream: file and callback streams and the byte-stream helpers
// Opens the file with the fopen mode and positions it at the offset. Returns 1, or 0 for a null
// argument (error code 3) or a file that cannot be opened (100); success sets the code to 0.
BITRA5_API int KpxOpenFileStream(const char* path, const char* mode, std::int32_t offset,
                                 KpxStream* stream);
// Closes the file and clears the stream (error code 0); without stream or file sets 3.
BITRA5_API int KpxCloseFileStream(KpxStream* stream);
BITRA5_API std::uint32_t KpxStreamRead(KpxStreamCallbacks* stream, void* buffer,
                                       std::uint32_t count);
BITRA5_API std::uint32_t KpxStreamWrite(KpxStreamCallbacks* stream, const void* data,
                                        std::uint32_t count);
BITRA5_API std::int32_t KpxStreamSeek(KpxStreamCallbacks* stream, std::int32_t offset,
                                      std::int32_t origin);
BITRA5_API std::int32_t KpxStreamTell(KpxStreamCallbacks* stream);
// Byte-stream helpers of the codecs. Tell gives the low 32 bits of the position; Getc gives the
// byte or 0 when the read fails; Putc gives 1, or 0 when the write fails.
BITRA5_API std::uint32_t KpxOleStreamTell(KpxByteStream* stream);
BITRA5_API std::int64_t KpxOleStreamSeek(KpxByteStream* stream, int origin, std::int64_t offset);
BITRA5_API int KpxOleStreamGetc(KpxByteStream* stream);
BITRA5_API int KpxOleStreamPutc(KpxByteStream* stream, int byte);

// -------------------- IoLayer: the I/O layer the codecs read and write through
BITRA5_API int KpxIoSeek(FILE* file, long offset, int origin);
BITRA5_API long KpxIoTell(FILE* file);
BITRA5_API std::size_t KpxIoRead(void* buffer, std::size_t size, std::size_t count, FILE* file);
BITRA5_API std::size_t KpxIoWrite(const void* data, std::size_t size, std::size_t count,
                                  FILE* file);
BITRA5_API int KpxIoClose(FILE* file);
// The calling thread's current stream of the I/O layer (null: none).
BITRA5_API void KpxSetCurrentStream(KpxByteStream* stream);
BITRA5_API KpxByteStream* KpxGetCurrentStream();

// -------------------- StreamLoading: BMP and JPEG files through the stream readers
// Format code of a BMP or JPEG file: 40, 90 or 0. Without contentOnly the extension gives the
// reader to try.
BITRA5_API std::int32_t KpxGetFileFormat(const char* path, int contentOnly);
// Loads a BMP or JPEG file through the stream readers; the handle or 0. The progress function
// and its value go to the reader unchanged.
BITRA5_API KpxHandle KpxLoadImageFromFile(const char* path, int useExtension, int reserved,
                                          HWND window,
                                          int (*progress)(int done, int total, void* user),
                                          void* progressData);
// Asks the stream readers to read only the header: hint 40 tries BMP, 90 JPEG, 0 BMP then
// JPEG, anything else nothing. The format code of the reader that succeeds, else 0.
BITRA5_API std::int32_t KpxSniffStreamFormat(std::int32_t hint, KpxStreamCallbacks* stream);

// -------------------- FormatSniffing: format recognition by extension and content
// Format id by extension only (first matching row), without touching the file; 0 when unknown
// or when the file-name part is "*".
BITRA5_API std::int32_t KpxGetFormatFromExt(const char* path);
// Content recognition: *idInOut carries the hint in and the result out; returns the result.
BITRA5_API std::int32_t KpxSniffFormat(std::int32_t* idInOut, const char* path,
                                       std::int32_t offset);
// BMI (110) or BMP (40) on a stream, else 0; the stream is put back where it was.
BITRA5_API std::int32_t KpxSniffFormatOleStream(std::int32_t* idOut, KpxByteStream* stream);
BITRA5_API std::int32_t KpxSniffFormatStreamCB(std::int32_t* idOut, KpxStreamCallbacks* stream);

// -------------------- FormatDispatch: the codec table and the per-format dispatchers
// Replaces the entry of entry->formatId for the running process (the built-in entry of that id,
// if any, is hidden until the registration is dropped). Returns 1, or 0 for a null entry.
BITRA5_API int KpxRegisterCodec(const KpxCodecEntry* entry);
// Drops a registration made by KpxRegisterCodec; the built-in entry applies again.
BITRA5_API void KpxUnregisterCodec(std::int32_t formatId);
// The entry of a format; all routines null when the format has no codec.
BITRA5_API KpxCodecEntry KpxFindCodec(std::int32_t formatId);
BITRA5_API KpxResult KpxGetInfoByFormat(KpxCodecContext* context, const char* path,
                                        std::int32_t offset, std::int32_t formatId,
                                        KpxTransparentEntry* transparent, std::int32_t* count);
BITRA5_API KpxResult KpxLoadByFormat(KpxCodecContext* context, const char* path,
                                     std::int32_t offset, std::int32_t formatId,
                                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                                     std::int32_t* count);
// For GIF first sets the transparent colour from the list (a palette-index first entry) and,
// for a single frame, the logical screen to the image size.
BITRA5_API KpxResult KpxSaveByFormat(KpxCodecContext* context, const char* path,
                                     std::int32_t formatId, KpxProgressProc progress,
                                     const KpxTransparentEntry* transparent, std::int32_t count);
BITRA5_API KpxResult KpxGetInfoByFormatOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                                 std::int32_t formatId,
                                                 KpxTransparentEntry* transparent,
                                                 std::int32_t* count);
BITRA5_API KpxResult KpxLoadByFormatOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                              std::int32_t formatId, KpxProgressProc progress,
                                              KpxTransparentEntry* transparent,
                                              std::int32_t* count);
BITRA5_API KpxResult KpxSaveByFormatOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                              std::int32_t formatId, KpxProgressProc progress,
                                              const KpxTransparentEntry* transparent,
                                              std::int32_t count);
BITRA5_API KpxResult KpxGetInfoByFormatStreamCB(KpxCodecContext* context,
                                                KpxStreamCallbacks* stream, std::int32_t formatId,
                                                KpxTransparentEntry* transparent,
                                                std::int32_t* count);
BITRA5_API KpxResult KpxLoadByFormatStreamCB(KpxCodecContext* context, KpxStreamCallbacks* stream,
                                             std::int32_t formatId, KpxProgressProc progress,
                                             KpxTransparentEntry* transparent, std::int32_t* count);
BITRA5_API KpxResult KpxSaveByFormatStreamCB(KpxCodecContext* context, KpxStreamCallbacks* stream,
                                             std::int32_t formatId, KpxProgressProc progress,
                                             const KpxTransparentEntry* transparent,
                                             std::int32_t count);

// -------------------- LoadFrontEnd: the core loader
// The core loader: detects the format, asks the codec for the image's properties, creates the
// image and has the codec fill it. Leaves the context filled.
BITRA5_API KpxHandle KpxLoadImageCore(HWND window, const char* path, std::int32_t offset,
                                      std::int32_t frameNumber, KpxCodecContext* context,
                                      std::int32_t photoCdResolution, KpxProgressProc progress);
// 1 while a core load runs (for tests and diagnostics).
BITRA5_API int KpxIsLoadBusy();

// -------------------- SaveFrontEnd: save depths
// The depth a format needs for an image of `bits` bits (option: the TIFF save option); the
// image's own depth when nothing is to be converted.
BITRA5_API int KpxSaveDepthForFormat(std::int32_t formatId, std::int32_t option, int bits);
// Whether file saves may write into an unnamed temporary file (1, the default) or always take the
// named temporary file beside the target (0), the road for file systems without unnamed files.
BITRA5_API void KpxUseUnnamedTemporaryFilesForTest(int use);

// -------------------- FileInfo: file information
BITRA5_API int KpxGetInfoFileCore(const char* path, std::int32_t offset, KpxFileInfo* info,
                                  int alphaAs32, int photoCdResolution);

// -------------------- RowCallbacks: row layout and callbacks, keep-loading flag, row arithmetic
// Sets depth, row size and row count from the context (for saves from the row depth, when set) and
// clears the pixel pointer; the front end points it at the image afterwards.
BITRA5_API void KpxSetupRowLayout(const KpxCodecContext* context);
BITRA5_API void KpxSetRowBits(std::uint8_t* bits);
// The calling thread's layout.
BITRA5_API KpxRowLayout KpxGetRowLayout();
// Copies one row from the codec's buffer into the image (row index counted from the top).
// Returns 8 past the last row or once a break was requested, else 0.
BITRA5_API int KpxStoreRow(std::uint8_t* row, int index);
// Copies one image row (counted from the top) into the codec's buffer; 8 past the last row.
BITRA5_API int KpxFetchRow(std::uint8_t* row, int index);
// The keep-loading flag: set when a load starts, cleared by KPXBreakLoad.
BITRA5_API void KpxSetKeepLoading(int value);
BITRA5_API int KpxKeepLoading();
// Row size of a DIB row: ((width x bits + 31) / 32) x 4, in 32 bits.
BITRA5_API std::uint32_t KpxScanBytes(int width, int bits);
// Below 2 -> 1, 2..4 -> 4, 5..8 -> 8, 9..24 -> 24, above 24 -> 32.
BITRA5_API int KpxNormalizeBitCount(int bits);
// Below 2 -> 2, 2..4 -> 16, 5..8 -> 256, above 8 -> 0.
BITRA5_API int KpxColorTableSize(int bits);
BITRA5_API int KpxAbsDifference(int a, int b);
// The absolute difference of its second and fourth operands.
BITRA5_API int KpxAbsDifference2(int x, int a, int y, int b);

// -------------------- GifReader: GIF block scan, info and frame loading
// Scans the file into the context (and the list, at most capacity entries); count receives the
// number of entries written.
BITRA5_API KpxResult KpxScanGifBlocks(KpxCodecContext* context, const char* path,
                                      std::int32_t offset, KpxGifBlockInfo* list,
                                      std::int32_t capacity, std::int32_t* count);
// The info routine of the format table.
BITRA5_API KpxResult KpxGifGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                                   KpxTransparentEntry* transparent, std::int32_t* count);
// The load routine: decodes the image whose index the context's frame number names.
BITRA5_API KpxResult KpxGifLoadFrame(KpxCodecContext* context, const char* path,
                                     std::int32_t offset, KpxProgressProc progress,
                                     KpxTransparentEntry* transparent, std::int32_t* count);

// -------------------- GifWriter: GIF frame writing
// Appends the frame the context describes to the file at path. Returns 0, 4 for an unsupported
// depth or an index the code size cannot carry, 5 when the file cannot be opened, 6 when a
// block cannot be made or written, 8 when the fetch-row callback stops. The file is never
// deleted here: the save front ends write into a temporary file and keep the old one on failure.
BITRA5_API KpxResult KpxGifSave(KpxCodecContext* context, const char* path,
                                KpxProgressProc progress, const KpxTransparentEntry* transparent,
                                std::int32_t count);

#if defined(__clang__)
#pragma clang diagnostic pop
#endif
