#include "config/ColumnDef.h"

#include <cstring>

namespace lorvex {

void CopyName(char (&field)[ColumnDef::kNameSize], const char* text) {
    std::size_t n = 0;
    if (text)
        while (n < ColumnDef::kNameSize - 1 && text[n] != '\0') ++n;
    // The text may be the field itself or overlap it.
    std::memmove(field, text ? text : "", n);
    field[n] = '\0';
}

}  // namespace lorvex
