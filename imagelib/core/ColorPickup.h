#pragma once
// Reading colours back from an image: the average colour of a rectangle and the palette index
// of one pixel. Coordinates count x from the left and y from the top.

#include "Bitra5.h"
