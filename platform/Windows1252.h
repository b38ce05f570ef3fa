#pragma once
// The game's texts are bytes in the Windows-1252 code page. The table's cells
// and the dialogs' boxes both turn them into characters and back; this is the
// one table they share, free of any window toolkit.

namespace lorvex::platform {

// The character one byte stands for: 0x80-0x9F as the code page has them
// (the five bytes it leaves undefined keep their value), every other byte as Latin-1.
char16_t Windows1252ToUnicode(unsigned char byte);

// The byte that stands for a UTF-16 unit, or -1 when the code page has none.
int UnicodeToWindows1252(char16_t unit);

}  // namespace lorvex::platform
