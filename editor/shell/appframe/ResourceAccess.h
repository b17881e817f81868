#pragma once
// The program's resource handle: the loaded language library, from which every text, menu,
// toolbar and bitmap is taken by id. Texts are stored in the Windows code page 1252 and
// converted here.

#include <QByteArray>
#include <QString>

#include <string>

#include "types/Win32Types.h"

namespace kfm::ui {

void SetResourceHandle(HMODULE module);
HMODULE GetResourceHandle();

// A text by id (empty when missing), as stored and as a QString.
std::string ResourceText(UINT id);
QString ResourceString(UINT id);
// The status-bar prompt and the tool tip of a command: the parts of its string before and
// after the first line break.
QString CommandPrompt(UINT id);
QString CommandToolTip(UINT id);
// A binary resource; empty when missing.
QByteArray ResourceData(UINT type, UINT id);

// Code page 1252 to Unicode and back (characters outside the code page become "?").
QString FromCodePage1252(const std::string& bytes);
std::string ToCodePage1252(const QString& text);

} // namespace kfm::ui
