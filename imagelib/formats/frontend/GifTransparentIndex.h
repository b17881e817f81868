#pragma once
// Giving a one-image GIF file a new transparent index, taken from a point of its picture.

#include "Bitra5.h"
