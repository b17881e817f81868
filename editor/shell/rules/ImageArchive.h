#pragma once
// Loading the program's own pictures (0 the splash picture, 1 the About picture) from the
// archive "kfmimgs.dat" in the program folder into new images of the image library.

#include <string>

#include "Bitra5.h"
#include "ImageArchiveFormat.h"

namespace kfm::shell {

// Picture `index` of the archive file at path as a new image (the caller deletes it), or 0 when
// the file is missing, short, foreign, of another format, the index is out of range or the
// picture cannot be loaded. The load cannot be stopped by a stop request from elsewhere.
KpxHandle LoadArchiveImageFrom(const std::string& path, int index);

} // namespace kfm::shell

// Picture `index` of the archive in the program folder (as LoadArchiveImageFrom).
KpxHandle LoadArchiveImage(int index);
