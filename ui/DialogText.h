#pragma once
// The program's texts are bytes in the game's Windows code page; the windows
// show and take them as QStrings.
#include <QString>
#include <string>
#include <string_view>

namespace lorvex {

// Bytes for the screen: Windows-1252, and CR LF shown as one line break.
QString BytesToBoxText(std::string_view bytes);
// Typed text back to bytes: Windows-1252, '?' for a character it cannot hold.
std::string BoxTextToBytes(const QString& text);

// A file name from the folder listing for the screen (UTF-8 when it is, else
// Windows-1252).
QString FileNameToText(std::string_view bytes);

}  // namespace lorvex
