// Positions in two units. The program counts its positions and lengths in bytes of the code
// page 932 text, CR LF counting two; the Rich Edit 1.0 control counts bytes on Windows and
// characters under Wine. A position in the control's own unit is a TControlPos; TControlText
// reads a control window's text and converts positions between the units.
#pragma once
#include <windows.h>

#include <string>

namespace dodir {

// A position in the control's own unit: bytes where it counts bytes, characters where it
// counts characters. Never made from a byte offset by accident: only explicitly.
struct TControlPos {
    constexpr TControlPos() noexcept = default;
    constexpr explicit TControlPos(int at) noexcept : value(at) {}
    friend constexpr bool operator==(TControlPos, TControlPos) noexcept = default;
    int value = 0;
};

// The text of a rich edit control's window as it is now, read and measured in either unit.
class TControlText {
  public:
    explicit TControlText(HWND edit) noexcept : edit_(edit) {}

    // Native position unit of the control in this process: true when it counts characters.
    static bool CountsCharacters();

    // The text's length in the control's positions.
    int NativeLength() const;
    // The first `bytes` bytes of the text (fewer when the text is shorter), whole characters.
    std::string Prefix(int bytes) const;
    // The text of `length` control positions from start, in bytes (fewer at the text's end).
    std::string Run(TControlPos start, int length) const;
    // Conversions between byte offsets and the control's own positions.
    TControlPos NativeFromByte(int bytePos) const;
    int ByteFromNative(TControlPos nativePos) const;
    // Whether a position of the control starts a character (always, where it counts them).
    bool StartsCharacter(TControlPos nativePos) const;

  private:
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(edit_, msg, wParam, lParam);
    }
    HWND edit_;
};

} // namespace dodir
