#pragma once
// The program's icon, drawn rather than loaded: a small table with a heading row.
#include <QIcon>

namespace lorvex {

QIcon WindowIcon();

}  // namespace lorvex
