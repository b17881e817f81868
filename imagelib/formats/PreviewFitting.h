#pragma once
// Fitting an image into a preview box with its aspect ratio kept, for the previews of files.

#include "Bitra5.h"
