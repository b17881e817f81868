#pragma once
// The parts of the editor's resource library, assembled into its tables by Kfm5ResTables.cpp.

#include "resources/ResourceTable.h"

const KfmStringResource* kfm5StringTable(std::uint32_t* count);
// Menus, toolbars and accelerators (text resources).
const KfmBinaryResource* kfm5TextResources(std::uint32_t* count);
// The toolbar bitmaps (PNG strips, one 16 x 16 picture per button), generated from the PNG files.
const KfmBinaryResource* kfm5BitmapResources(std::uint32_t* count);
// The About dialogs, the outside editor's notices, the links and the toolbars' context menu.
const KfmStringResource* kfm5AboutStrings(std::uint32_t* count);
const KfmBinaryResource* kfm5AboutResources(std::uint32_t* count);
// The update check's and outside editing's texts.
const KfmStringResource* kfm5UpdateStrings(std::uint32_t* count);
// The file dialogs' texts.
const KfmStringResource* kfm5FileDialogStrings(std::uint32_t* count);
