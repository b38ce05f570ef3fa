#pragma once
// Text from strangers (archive entry names, record values) shown on a terminal
// or written into a line-based export: control bytes in it could move the
// cursor, retitle the window or start a new line, so they are written out as
// visible escapes instead.
#include <string>
#include <string_view>

namespace lorvex::platform {

// The text with every byte 0x00-0x1F and 0x7F, and each UTF-8 C1 control
// (0xC2 0x80 to 0xC2 0x9F, both bytes), written as "\x1b" (lower-case hex, one
// escape per byte); everything else unchanged.
std::string EscapeControls(std::string_view text);

}  // namespace lorvex::platform
