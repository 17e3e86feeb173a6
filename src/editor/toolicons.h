#pragma once

#include <QIcon>

// The formatting toolbar's pictures, drawn here so they look the same on every desktop.
namespace toolicons {

enum class Kind { Print, Cut, Copy, Paste, Undo, AlignLeft, AlignCenter, AlignRight, Justify };
QIcon icon(Kind kind);

} // namespace toolicons
