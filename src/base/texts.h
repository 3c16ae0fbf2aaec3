// Texts the program shows, built without any platform call.
#pragma once
#include <string>

namespace dodir {

// The error box appends "." unless the text is empty or its last character (the lead
// byte of a double-byte one) is at or below "." in the code table.
std::string ErrorBoxText(const std::string& message);

// Status panel 2: the pointer position over the editor.
std::string MousePositionText(int x, int y);

// Status panel 3: the caret line counted from 1.
std::string CaretLineText(int caretLine);

} // namespace dodir
