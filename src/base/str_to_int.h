// Text to integer as the custom colour boxes read it.
#pragma once
#include <string>

namespace dodir {

// Reads a 32-bit signed integer: any number of leading spaces (code 32 only), one optional
// "+" or "-", then either decimal digits or a hexadecimal prefix ("$", "x", "X", "0x", "0X")
// followed by hexadecimal digits, and nothing after. Decimal values must lie in the int
// range with the sign applied; hexadecimal ones may have at most eight significant digits
// and are read as 32-bit two's complement ($FFFFFFFF is -1).
//
// A sign before a hexadecimal number is read and then ignored (-$10 and -0x10 give 16): that
// is the established reading of such texts, and honouring or rejecting the sign would change it.
//
// Throws EConvertError "'<text>' は整数ではありません" with the text exactly as given.
int StrToInt(const std::string& text);

} // namespace dodir
