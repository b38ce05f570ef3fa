#pragma once
// The table's texts are bytes as the game files hold them (a Windows code
// page); this shows them one character per byte.
#include <QString>
#include <Qt>
#include <string_view>

#include "table/TableData.h"

namespace lorvex {

// Windows-1252: bytes 0x80-0x9F as that code page has them, the rest as Latin-1.
QString DecodeCellText(std::string_view bytes);
// The character one byte stands for.
QChar DecodeCellByte(unsigned char byte);
// A column's alignment as Qt draws it.
Qt::Alignment QtAlignment(Align align);

}  // namespace lorvex
