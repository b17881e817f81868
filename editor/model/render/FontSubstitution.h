#pragma once
// The font helpers: a substitution session that finds replacements for faces this machine lacks
// (a replacement list "font.dat", then the most similar installed face), the decoding of
// PostScript and Windows 3.x style face names, the character-set table and the code-page
// helpers.

#include <string>

#include "types/Win32Types.h"

void KtfBeginFontSubstitution();
void KtfEndFontSubstitution();
int KtfIsFontSubstitutionEnabled();
// 1 when the font was changed to a replacement; 0 when the session is closed or the face exists.
int KtfSubstituteFont(LOGFONTA* font);
// "wanted|chosen|" for every replacement of the session, malloc'ed (the caller frees it); null
// without replacements.
char* KtfGetFontSubstitutionString();
// The folder that holds "font.dat" (with a trailing "/"); the program's folder unless set.
void KtfSetFontDataFolder(const std::string& folder);

int KtfDecodePostsciptFontName(const char* name, LOGFONTA* out);
int KtfDecodeWin16FontName(LOGFONTA* font);
int KtfTranslateCharSetToString(BYTE charset);
int KtfTranslateCharSetToShortcut(BYTE charset);
// A new array of the character sets the face exists in; null and *count 0 when none.
BYTE* KtfEnumCharSetsInFont(const LOGFONTA* font, int* count);
void KtfFreeEnumeratedCharSets(BYTE* charsets);
BYTE KtfValidateCharsetForFont(const LOGFONTA* font, BYTE charset);

int KtfGetUserDefaultACP();
int KtfGetKeyboardACP();
// The character set of a code page; else the user's default one; else ANSI (0).
int KtfGetCharsetFromACP(int codePage);
int KtfGetACPFromCharset(BYTE charset);
int KtfGetUserDefaultCharSet();
int KtfGetKeyboardCharSet();
// No keyboard layouts are switched here: 0.
int KtfActivateKeyboard(WORD language);

// Similarity of two names by their shortest edit script: 1 equal or both empty, 0 unrelated.
double KtfNameSimilarity(const std::string& a, const std::string& b);
