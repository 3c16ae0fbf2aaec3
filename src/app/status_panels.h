// The main window's status bar: its four panels by name, the rule that picks a colour's
// panel, and the texts of the pointer and caret panels. Built without any platform call.
#pragma once
#include <string>

#include "appearance/color_rules.h"

namespace dodir {

// From left to right.
enum class TStatusPanel : int { Background, Text, Mouse, Caret };
constexpr int kStatusPanelCount = 4;

// The panel that reports the colour chosen for a target.
constexpr TStatusPanel StatusPanelOf(TColorTarget target) {
    return target == TColorTarget::Background ? TStatusPanel::Background : TStatusPanel::Text;
}

// The pointer position over the editor.
std::string MousePositionText(int x, int y);

// The caret line counted from 1.
std::string CaretLineText(int caretLine);

} // namespace dodir
