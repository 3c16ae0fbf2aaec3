#include "editor/control_text.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/cp932.h"
#include "base/win/handles.h"
#include "editor/control_window.h"

namespace dodir {

// Rich Edit 1.0 on Windows counts bytes; Wine's counts characters. Asked once per process
// of a scratch control holding one double-byte character.
bool TControlText::CountsCharacters() {
    static int unit = -1;
    if (unit < 0) {
        LoadRichEditLibrary();
        win::UniqueWindow probe(::CreateWindowExA(0, "RICHEDIT", "", ES_MULTILINE, 0, 0, 10, 10, HWND_MESSAGE,
                                                  nullptr, ::GetModuleHandleA(nullptr), nullptr));
        if (!probe) return false;
        ::SetWindowTextA(probe.get(), "\x82\xa0");
        unit = ::SendMessageA(probe.get(), WM_GETTEXTLENGTH, 0, 0) == 1 ? 1 : 0;
    }
    return unit == 1;
}

int TControlText::NativeLength() const { return static_cast<int>(Send(WM_GETTEXTLENGTH)); }

std::string TControlText::Prefix(int bytes) const {
    if (bytes <= 0) return {};
    // A buffer too small for the whole text receives as many whole characters as fit and
    // no terminating NUL; the text itself never holds NUL.
    std::vector<char> buf(static_cast<std::size_t>(bytes) + 2, '\0');
    const auto got = Send(WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    if (got > 0) return std::string(buf.data(), static_cast<std::size_t>(got));
    return std::string(buf.data(), ::strnlen(buf.data(), buf.size()));
}

std::string TControlText::Run(TControlPos start, int length) const {
    // Counting characters, Wine fills at most as many bytes as the range has characters, fewer
    // when the range reaches the end of the text: each range asks for twice what is missing,
    // and keeps its whole characters up to the run's end.
    const bool counted = CountsCharacters();
    std::string out;
    for (int have = 0; have < length;) {
        const int missing = length - have, asked = counted ? 2 * missing : missing;
        std::vector<char> buf(static_cast<std::size_t>(asked) + 2, '\0');
        const LONG from = start.value + have;
        TEXTRANGEA range{{from, from + asked}, buf.data()};
        Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
        std::string_view got(buf.data(), ::strnlen(buf.data(), buf.size())); // the text never holds NUL
        got = got.substr(0, counted ? ByteOffsetOfChar(got, static_cast<std::size_t>(missing))
                                    : static_cast<std::size_t>(missing));
        if (counted && EndsInsideCharacter(got)) got.remove_suffix(1);
        if (got.empty()) break;
        out += got;
        have += static_cast<int>(counted ? CharCount(got) : got.size());
    }
    return out;
}

TControlPos TControlText::NativeFromByte(int bytePos) const {
    if (!CountsCharacters()) return TControlPos(bytePos);
    if (bytePos <= 0) return TControlPos(0);
    const auto prefix = Prefix(bytePos + 1);
    return TControlPos(static_cast<int>(CharIndexOfByte(prefix, static_cast<std::size_t>(bytePos))));
}

int TControlText::ByteFromNative(TControlPos nativePos) const {
    const int at = nativePos.value;
    if (!CountsCharacters()) return at;
    if (at <= 0) return 0;
    const auto prefix = Prefix(at * 2);
    return static_cast<int>(ByteOffsetOfChar(prefix, static_cast<std::size_t>(at)));
}

bool TControlText::StartsCharacter(TControlPos nativePos) const {
    const int at = nativePos.value;
    if (CountsCharacters() || at <= 0) return true;
    // Counted in bytes: walk the line from its start, which is a character boundary.
    const auto line = Send(EM_EXLINEFROMCHAR, 0, at);
    const auto lineStart = static_cast<int>(Send(EM_LINEINDEX, static_cast<WPARAM>(line)));
    std::vector<char> buf(static_cast<std::size_t>(at - lineStart) + 1, '\0');
    TEXTRANGEA range{{lineStart, at}, buf.data()};
    const auto got = Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return !EndsInsideCharacter(
        std::string_view(buf.data(), static_cast<std::size_t>(std::max<LRESULT>(got, 0))));
}

} // namespace dodir
