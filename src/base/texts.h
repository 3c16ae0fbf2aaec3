// Texts the program shows, built without any platform call.
#pragma once
#include <string>

namespace dodir {

// The error box appends "." unless the text is empty or its last character (the lead
// byte of a double-byte one) is at or below "." in the code table.
std::string ErrorBoxText(const std::string& message);

} // namespace dodir
