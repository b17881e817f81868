#pragma once
// Loading metafile files into vector records: a ".wmf" file (placeable or plain) is converted
// into an enhanced metafile, any other file is read as one.

#include "ObjectRecords.h"

// 1 with the size of the metafile's frame (0.01 mm); 0 when its header cannot be read.
int GetEnhMetaFileFrameSize(int* width, int* height, HENHMETAFILE metafile);

// An enhanced metafile of the Windows metafile's records sized |right - left| by |bottom - top|
// 0.01 mm (by the records' own window extent when that is empty); null when they do not
// convert. The given metafile stays the caller's.
HENHMETAFILE ConvertWinMetaFile(HMETAFILE metafile, int left, int top, int right, int bottom);

// 1 when the record holds a new enhanced metafile with the placeable box (or the frame size
// when there is none) and its units per inch; 0 on failure, the record then empty. A WMF that
// cannot be converted is a failure whatever its placeable box says.
int LoadMetaFile(const char* path, VectorObjectRecord* record);
