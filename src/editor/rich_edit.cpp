#include "editor/rich_edit.h"

#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/errors.h"
#include "base/win/font.h"
#include "base/win/handles.h"

namespace dodir {

namespace {

// The character Ctrl+Backspace makes.
constexpr WPARAM kCtrlBackspace = 0x7F;

// Loaded at the first control's creation and kept to the end of the process; a failed
// load is tried again at the next creation.
win::UniqueLibrary g_richEditLibrary;

void LoadRichEditLibrary() {
    if (g_richEditLibrary) return;
    HMODULE lib = ::LoadLibraryA("RICHED32.DLL");
    if (reinterpret_cast<UINT_PTR>(lib) > 32) g_richEditLibrary.reset(lib);
}

// The form learns here, and only here, that a control's window was replaced: it keeps the
// window handles of its controls for the tab order and its active control.
void TellFormOfNewWindow(HWND old, HWND fresh) {
    ::SendMessageA(::GetParent(fresh), win::kMsgControlReplaced, reinterpret_cast<WPARAM>(old),
                   reinterpret_cast<LPARAM>(fresh));
}

} // namespace

unsigned ShiftStateFromMouse(WPARAM keys) {
    unsigned s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

// Rich Edit 1.0 on Windows counts bytes; Wine's counts characters. Asked once per process
// of a scratch control holding one double-byte character.
bool TRichEdit::CountsCharacters() {
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

TRichEdit::TRichEdit(HWND parent, const TRichEditSettings& s)
    : leftOverhang_(s.leftOverhang), color_(s.color), font_(s.font) {
    LoadRichEditLibrary();
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL;
    if (s.verticalScrollBar) style |= WS_VSCROLL;
    if (!s.wordWrap) style |= ES_AUTOHSCROLL;
    switch (s.alignment) {
    case TAlignment::taLeftJustify:
        style |= ES_LEFT;
        break;
    case TAlignment::taRightJustify:
        style |= ES_RIGHT;
        break;
    case TAlignment::taCenter:
        style |= ES_CENTER;
        break;
    }
    style_ = style;
    CreateControl(WS_EX_CLIENTEDGE, "RICHEDIT", "", style, s.bounds.left, s.bounds.top,
                  s.bounds.right - s.bounds.left, s.bounds.bottom - s.bounds.top, parent, s.id);
    const auto classStyle = ::GetClassLongPtrA(Handle(), GCL_STYLE);
    if (classStyle & (CS_HREDRAW | CS_VREDRAW))
        ::SetClassLongPtrA(Handle(), GCL_STYLE,
                           classStyle & ~static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW));
    Prepare(Handle(), 0);
}

void TRichEdit::Prepare(HWND wnd, LRESULT textLimit) {
    SendFont(wnd, SCF_DEFAULT, font_);
    if (style_ & ES_AUTOHSCROLL)
        ::SendMessageA(wnd, EM_SETTARGETDEVICE, 0, 1); // no wrapping at the window's edge
    ::SendMessageA(wnd, EM_EXLIMITTEXT, 0, textLimit);
    ::SendMessageA(wnd, EM_SETMODIFY, FALSE, 0);
    ::SendMessageA(wnd, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED);
    ::SendMessageA(wnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(win::ColorToRGB(color_)));
    ApplyLeftOverhang(wnd);
}

void TRichEdit::ApplyLeftOverhang(HWND wnd) const {
    if (leftOverhang_ <= 0) return;
    auto rectOf = [wnd] {
        RECT r{};
        ::SendMessageA(wnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
        return r;
    };
    auto setRect = [wnd](WPARAM mode, RECT r) {
        ::SendMessageA(wnd, EM_SETRECT, mode, reinterpret_cast<LPARAM>(&r));
    };
    // The control's own rectangle keeps its top and bottom. Its right edge stays inside the
    // client area: Wine's control took its width from the whole window, border included, when
    // it was created, and would lay right-aligned text out past its visible edge.
    RECT wanted = rectOf();
    RECT client{};
    ::GetClientRect(wnd, &client);
    wanted.left -= leftOverhang_;
    wanted.right = std::min(wanted.right, client.right - 1);
    setRect(0, wanted);
    RECT got = rectOf();
    if (::EqualRect(&got, &wanted)) return;
    // Wine's control clips a rectangle to the client size it saw at creation unless wParam
    // is 1, and widens what it is given by its client edge: ask once, measure how far each
    // edge moved, and ask again that much the other way.
    setRect(1, wanted);
    got = rectOf();
    setRect(1, RECT{2 * wanted.left - got.left, 2 * wanted.top - got.top, 2 * wanted.right - got.right,
                    2 * wanted.bottom - got.bottom});
    got = rectOf();
    // A control that reads wParam 1 otherwise (offsets, on Windows) goes back to its own.
    if (!::EqualRect(&got, &wanted)) ::SendMessageA(wnd, EM_SETRECT, 0, 0);
}

win::UniqueWindow TRichEdit::EmptyTwinWindow() {
    HWND self = Handle();
    HWND parent = ::GetParent(self);
    RECT r{};
    ::GetWindowRect(self, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    // The styles it was created with: the control takes WS_VSCROLL away while its text fits,
    // and one created without it never shows a scroll bar.
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(::GetDlgCtrlID(self)));
    win::UniqueWindow twin(::CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "", style_ & ~WS_VISIBLE, r.left,
                                             r.top, r.right - r.left, r.bottom - r.top, parent, id,
                                             ::GetModuleHandleA(nullptr), nullptr));
    if (!twin) throw EWin32Error("CreateWindow failed: RICHEDIT");
    Prepare(twin.get(), Send(EM_GETLIMITTEXT));
    return twin;
}

void TRichEdit::PutInPlace(win::UniqueWindow twin) {
    HWND fresh = twin.get();
    HWND old = Handle();
    const bool focused = ::GetFocus() == old;
    // In the old window's place among its siblings (z-order and so tab order), then shown.
    ::SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // The old window goes last, once the focus has moved on to the new one.
    win::UniqueWindow retired = SwapWindow(twin.release());
    pendingLead_ = -1;
    backspaceRaised_ = false;
    TellFormOfNewWindow(old, fresh);
    if (focused) ::SetFocus(fresh);
}

// The whole content, streamed through EM_STREAMIN and EM_STREAMOUT.
//
// No C++ exception may unwind through the control's stream request: every callback catches
// what its work throws, keeps it in its cookie, returns an error code that stops the
// request, and the exception is thrown again once the request has returned.

namespace {

// Error codes the callbacks hand back to the control; any non-zero value ends the request.
constexpr DWORD kReadErrorCode = 1;
constexpr DWORD kWriteErrorCode = 2;

struct StreamCookie {
    TContentSource* source = nullptr;
    TContentSink* sink = nullptr;
    bool refused = false;
    std::exception_ptr error;
};

DWORD CALLBACK StreamInCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    auto& in = *reinterpret_cast<StreamCookie*>(cookie);
    *pcb = 0;
    // Wine's reader asks again after an error, as each character it reads at the end of its
    // buffer does: the source, which threw, is asked no more.
    if (in.refused || in.error) return kReadErrorCode;
    try {
        const std::size_t room = cb > 0 ? static_cast<std::size_t>(cb) : 0;
        *pcb = static_cast<LONG>(in.source->NextPiece(reinterpret_cast<char*>(buf), room));
        return 0;
    } catch (const TContentRefused&) {
        in.refused = true;
    } catch (...) {
        in.error = std::current_exception();
    }
    return kReadErrorCode;
}

DWORD CALLBACK StreamOutCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    auto& out = *reinterpret_cast<StreamCookie*>(cookie);
    *pcb = 0;
    try {
        out.sink->Write(reinterpret_cast<const char*>(buf), cb > 0 ? static_cast<std::size_t>(cb) : 0);
        *pcb = cb;
        return 0;
    } catch (...) {
        out.error = std::current_exception();
    }
    return kWriteErrorCode;
}

// One stream request; what a callback threw is thrown again. False when the control ended
// the request with an error or the source refused its content.
bool Stream(HWND wnd, UINT msg, WPARAM format, StreamCookie& cookie, EDITSTREAMCALLBACK callback) {
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
    es.pfnCallback = callback;
    ::SendMessageA(wnd, msg, format, reinterpret_cast<LPARAM>(&es));
    if (cookie.error) std::rethrow_exception(cookie.error);
    return es.dwError == 0 && !cookie.refused;
}

} // namespace

// A document larger than the window goes into a twin that shows its vertical scroll bar
// before the stream. Left alone, the control lays the text out at the full width, shows the
// bar at the end of the stream as the text overflows, and, its client area narrower, lays all
// of it out again in the same request; a paragraph that wraps into many rows costs far more
// the second time. With the bar already there, the text is laid out once, at the width it
// keeps. When the document turns out to fit after all, the bar goes again, and the twin is as
// the control alone would have left it.
namespace {

// The text's height, in pages of the window, above which the control surely keeps the bar
// whatever the width its text was laid out at: the bar is narrow beside the window, and
// narrowing a window by so little makes no text four times as tall.
constexpr int kSurePages = 4;

// How many bytes of plain text in a font whose characters are `em` pixels tall surely lay out
// taller than kSurePages pages of the window, at its full width as at the narrower one. A row
// is at least one em tall, and holds at most one character per pixel of the formatting
// rectangle's width and its line break, each at most 2 bytes; so that many rows hold at most
// that many bytes. (An editor that does not wrap can hold any number in a row: the threshold
// is then a mere guess, which the check after the stream makes good.)
std::size_t SurelyOverflowingBytes(HWND wnd, int em) {
    RECT format{}, client{};
    ::SendMessageA(wnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    ::GetClientRect(wnd, &client);
    const auto rows =
        static_cast<std::size_t>(kSurePages * std::max<LONG>(client.bottom, 1) / std::max(em, 1) + 1);
    const auto perRow = 2 * static_cast<std::size_t>(std::max<LONG>(format.right - format.left, 0) + 1);
    return rows * perRow;
}

bool VerticalBarShown(HWND wnd) { return (::GetWindowLongPtrA(wnd, GWL_STYLE) & WS_VSCROLL) != 0; }

// The control's answer to whether its text needs the vertical bar: a range and a page (its
// client height) it gives the bar only when it takes the bar up itself; a bar shown from
// outside keeps the page 0.
SCROLLINFO ControlVerticalScroll(HWND wnd) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE;
    if (!::GetScrollInfo(wnd, SB_VERT, &si)) si.nPage = 0;
    return si;
}

// Reads a started source into an empty twin, its vertical scroll bar shown first when
// barFirst (the twin is hidden: the bar still changes its frame, and the control takes the
// narrower client area at once). False when the control ended the request with an error or
// the source refused its content.
bool ReadInto(HWND twin, TContentSource& source, WPARAM format, bool barFirst) {
    if (barFirst) ::ShowScrollBar(twin, SB_VERT, TRUE);
    StreamCookie in;
    in.source = &source;
    return Stream(twin, EM_STREAMIN, format, in, &StreamInCallback);
}

} // namespace

bool TRichEdit::TakesBarFirst(HWND twin, std::size_t size) const {
    if (!(style_ & WS_VSCROLL) || size == 0) return false;
    // The control's own font size, in pixels, less a pixel for its rounding.
    const int dpi = win::ScreenPixelsPerInch();
    return size > SurelyOverflowingBytes(twin, ::MulDiv(font_.PointSize(dpi), dpi, 72) - 1);
}

TRichEdit::TBarFirstOutcome TRichEdit::SettleBarFirst(HWND twin) {
    const SCROLLINFO si = ControlVerticalScroll(twin);
    if (si.nPage == 0) {
        // The text fits: the control never took the bar up, and lays the text out again at
        // the full width, as a control alone would have kept it.
        if (VerticalBarShown(twin)) ::ShowScrollBar(twin, SB_VERT, FALSE);
        return TBarFirstOutcome::Same;
    }
    // A text a few pages tall at the narrow width might have fitted at the full width, where
    // the control alone would have shown no bar: such a text, of few rows, is read again as
    // the control alone reads it. The range is the text's height in pixels up to 0xFFFF.
    const bool wraps = !(style_ & ES_AUTOHSCROLL);
    if (wraps && si.nMax - si.nMin < kSurePages * static_cast<int>(si.nPage)) return TBarFirstOutcome::Unsure;
    return TBarFirstOutcome::Same;
}

bool TRichEdit::ReplaceContent(TContentSource& source) {
    // The current content stays untouched by a failed attempt (a rich-text attempt on what
    // is not rich text empties the control it reads into), and it is never emptied, which
    // costs Wine's control a time growing with the square of its length, but dropped with its
    // window, which costs nothing.
    // Each attempt reads into a window of its own: what a failed one left is dropped too.
    win::WaitCursor busy;
    const std::size_t size = source.SizeHint();
    for (const auto& [format, flags] : {std::pair{TContentFormat::RichText, WPARAM{SF_RTF}},
                                        std::pair{TContentFormat::PlainText, WPARAM{SF_TEXT}}}) {
        if (!source.Start(format)) return false;
        win::UniqueWindow twin = EmptyTwinWindow();
        const bool barFirst = TakesBarFirst(twin.get(), size);
        if (!ReadInto(twin.get(), source, flags, barFirst)) continue;
        if (barFirst && SettleBarFirst(twin.get()) == TBarFirstOutcome::Unsure && source.Start(format)) {
            // The same content again, read the way the control alone reads it; the first
            // reading stays should this one fail.
            win::UniqueWindow again = EmptyTwinWindow();
            if (ReadInto(again.get(), source, flags, false)) twin = std::move(again);
        }
        ::SendMessageA(twin.get(), EM_EXLIMITTEXT, 0, kUnlimitedText);
        PutInPlace(std::move(twin));
        return true;
    }
    return false;
}

bool TRichEdit::WriteContent(TContentSink& sink) {
    win::WaitCursor busy;
    StreamCookie out;
    out.sink = &sink;
    return Stream(Handle(), EM_STREAMOUT, SF_RTF, out, &StreamOutCallback);
}

// Positions

int TRichEdit::NativeTextLength() { return static_cast<int>(Send(WM_GETTEXTLENGTH)); }

std::string TRichEdit::TextPrefix(int bytes) {
    if (bytes <= 0) return {};
    // A buffer too small for the whole text receives as many whole characters as fit and
    // no terminating NUL; the text itself never holds NUL.
    std::vector<char> buf(static_cast<std::size_t>(bytes) + 2, '\0');
    const auto got = Send(WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    if (got > 0) return std::string(buf.data(), static_cast<std::size_t>(got));
    return std::string(buf.data(), ::strnlen(buf.data(), buf.size()));
}

std::string TRichEdit::TextRun(TControlPos start, int length) {
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
        got = got.substr(0, counted ? cp932::ByteOffsetOfChar(got, static_cast<std::size_t>(missing))
                                    : static_cast<std::size_t>(missing));
        if (counted && cp932::EndsInsideCharacter(got)) got.remove_suffix(1);
        if (got.empty()) break;
        out += got;
        have += static_cast<int>(counted ? cp932::CharCount(got) : got.size());
    }
    return out;
}

TControlPos TRichEdit::NativeFromByte(int bytePos) {
    if (!CountsCharacters()) return TControlPos(bytePos);
    if (bytePos <= 0) return TControlPos(0);
    const auto prefix = TextPrefix(bytePos + 1);
    return TControlPos(static_cast<int>(cp932::CharIndexOfByte(prefix, static_cast<std::size_t>(bytePos))));
}

int TRichEdit::ByteFromNative(TControlPos nativePos) {
    const int at = nativePos.value;
    if (!CountsCharacters()) return at;
    if (at <= 0) return 0;
    const auto prefix = TextPrefix(at * 2);
    return static_cast<int>(cp932::ByteOffsetOfChar(prefix, static_cast<std::size_t>(at)));
}

std::string TRichEdit::Text() {
    const auto len = static_cast<std::size_t>(NativeTextLength());
    std::vector<char> buf((CountsCharacters() ? 2 * len : len) + 1, '\0');
    const auto got = Send(WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    return std::string(buf.data(), static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
}

int TRichEdit::TextLength() { return static_cast<int>(Text().size()); }

int TRichEdit::SelectionStart() {
    CHARRANGE r{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return ByteFromNative(TControlPos(r.cpMin));
}

void TRichEdit::SetSelectionStart(int pos) {
    const int p = NativeFromByte(pos).value;
    CHARRANGE r{p, p};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

int TRichEdit::SelectionLength() {
    const TSpan span = SelectionSpan();
    const int lo = span.min.value, hi = span.max.value;
    if (!CountsCharacters()) return hi - lo;
    const auto prefix = TextPrefix(hi * 2);
    return static_cast<int>(cp932::ByteOffsetOfChar(prefix, static_cast<std::size_t>(hi)) -
                            cp932::ByteOffsetOfChar(prefix, static_cast<std::size_t>(lo)));
}

void TRichEdit::SetSelectionLength(int length) {
    CHARRANGE r{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    const TControlPos end = NativeFromByte(ByteFromNative(TControlPos(r.cpMin)) + length);
    CHARRANGE sel{r.cpMin, end.value};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    Send(WM_USER + 49); // EM_SCROLLCARET
}

void TRichEdit::ReplaceSelection(const std::string& text) {
    Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TRichEdit::CutSelection() { Send(WM_CUT); }
void TRichEdit::CopySelection() { Send(WM_COPY); }
void TRichEdit::PasteClipboard() { Send(WM_PASTE); }
void TRichEdit::SelectWholeText() {
    Send(EM_SETSEL, 0, -1);
    // Wine's control selects a final paragraph mark that is not part of the text; a copy
    // would carry it and a paste add a line break. Keep the selection to the text.
    if (CountsCharacters()) {
        CHARRANGE all{0, NativeTextLength()};
        Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    }
}
void TRichEdit::UndoLastEdit() { Send(WM_UNDO); }
TRichEdit::TSpan TRichEdit::SelectionSpan() {
    CHARRANGE r{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    // Selecting all reaches past a final paragraph mark that is not part of the text.
    const int len = NativeTextLength();
    const int lo = std::clamp<int>(r.cpMin, 0, len);
    return {TControlPos(lo), TControlPos(r.cpMax < 0 ? len : std::clamp<int>(r.cpMax, lo, len))};
}

bool TRichEdit::StartsCharacter(TControlPos nativePos) {
    const int at = nativePos.value;
    if (CountsCharacters() || at <= 0) return true;
    // Counted in bytes: walk the line from its start, which is a character boundary.
    const auto line = Send(EM_EXLINEFROMCHAR, 0, at);
    const auto lineStart = static_cast<int>(Send(EM_LINEINDEX, static_cast<WPARAM>(line)));
    std::vector<char> buf(static_cast<std::size_t>(at - lineStart) + 1, '\0');
    TEXTRANGEA range{{lineStart, at}, buf.data()};
    const auto got = Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return !cp932::EndsInsideCharacter(
        std::string_view(buf.data(), static_cast<std::size_t>(std::max<LRESULT>(got, 0))));
}

std::optional<TRichEdit::TSpan> TRichEdit::FindFrom(const std::string& text, TControlPos start) {
    if (text.empty()) return std::nullopt;
    const int length = static_cast<int>(CountsCharacters() ? cp932::CharCount(text) : text.size());
    for (int from = start.value;;) {
        FINDTEXTA ft{};
        ft.chrg.cpMin = from;
        ft.chrg.cpMax = -1; // to the end
        ft.lpstrText = text.c_str();
        const auto found =
            static_cast<int>(Send(EM_FINDTEXT, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&ft)));
        if (found < 0) return std::nullopt;
        // A byte-wise search also finds text in the trail byte of a double-byte character.
        const TSpan span{TControlPos(found), TControlPos(found + length)};
        if (StartsCharacter(span.min) && StartsCharacter(span.max)) return span;
        from = found + 1;
    }
}

void TRichEdit::SelectSpan(TSpan span) {
    CHARRANGE r{span.min.value, span.max.value};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    Send(WM_USER + 49); // EM_SCROLLCARET
}

void TRichEdit::ReplaceSpan(TSpan span, const std::string& text) {
    CHARRANGE r{span.min.value, span.max.value};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TRichEdit::Focus() {
    if (!::IsWindowVisible(Handle()) || !::IsWindowEnabled(Handle()))
        throw EInvalidOperation("無効/非表示ウィンドウにはフォーカスを設定できません");
    ::SendMessageA(::GetParent(Handle()), win::kMsgSetActiveControl, reinterpret_cast<WPARAM>(Handle()), 0);
    ::SetFocus(Handle());
}

void TRichEdit::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    ::InvalidateRect(Handle(), nullptr, TRUE);
    Send(EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(win::ColorToRGB(color)));
}

void TRichEdit::SetFont(const TFont& font) {
    font_ = font;
    DefaultFormat.AssignFont(font_);
}

void TRichEdit::SetTextLimit(int limit) { Send(EM_EXLIMITTEXT, 0, limit); }

// Events

bool TRichEdit::RaiseKeyPress(char& key) {
    if (OnKeyPress) OnKeyPress(key);
    return key != '\0';
}

void TRichEdit::InsertTypedPair(char lead, char trail) {
    // Typing is refused at the text limit; EM_REPLACESEL alone would not be.
    CHARRANGE r{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    const auto limit = Send(EM_GETLIMITTEXT);
    if (NativeTextLength() - (r.cpMax - r.cpMin) + 1 > limit) return;
    const char pair[3] = {lead, trail, '\0'};
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pair));
}

bool TRichEdit::InsideLineBreak(LONG nativePos) {
    if (nativePos <= 0) return false;
    char buf[8] = {};
    TEXTRANGEA range{{nativePos - 1, nativePos + 1}, buf};
    return Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)) == 2 && buf[0] == '\r' &&
           buf[1] == '\n';
}

void TRichEdit::KeepSelectionInText(const CHARRANGE& before, WPARAM key, LPARAM lParam) {
    // Wine's control lets Right, Down, End and Page Down take the caret past the end of the
    // text into the final paragraph mark, which is not part of it; Enter typed there brings
    // the control down.
    CHARRANGE r{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    if (r.cpMin == before.cpMin && r.cpMax == before.cpMax) return; // the key moved nothing
    const int len = NativeTextLength();
    if (r.cpMax > len || r.cpMin > len) {
        r = {std::min<LONG>(r.cpMin, len), std::min<LONG>(r.cpMax, len)};
        Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    }
    // A caret at the start of its line (where Enter leaves it) is outside every line break.
    // Asked first: the control keeps where the caret's line starts, where a look at the text
    // around a position walks the document up to it.
    if (r.cpMin == r.cpMax && Send(EM_LINEINDEX, static_cast<WPARAM>(-1)) == r.cpMin) return;
    // Left from the start of a line, or Right from the end of the line before, stops it
    // between the CR and the LF of the line break: Enter there brings the control down too,
    // and a character typed there splits the break in two. The arrow goes on once more, over
    // the LF or back over the CR, so that a selection keeps the end that moves.
    if (!InsideLineBreak(r.cpMin) && !InsideLineBreak(r.cpMax)) return;
    if ((key == VK_LEFT || key == VK_RIGHT) && ::GetKeyState(VK_CONTROL) >= 0) {
        CallOriginal(WM_KEYDOWN, key, lParam);
        Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
        if (!InsideLineBreak(r.cpMin) && !InsideLineBreak(r.cpMax)) return;
    }
    // Any other way in: an end that moved forward goes past the LF, one that moved back
    // before the CR.
    const auto out = [&](LONG at, LONG was) {
        return !InsideLineBreak(at) ? at : at > was ? at + 1 : at - 1;
    };
    CHARRANGE outside{out(r.cpMin, before.cpMin), out(r.cpMax, before.cpMax)};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&outside));
}

bool TRichEdit::PasteText() {
    // Wine's control pastes plain text in pieces of 2048 characters and takes a CR and its LF
    // that fall into two pieces for two paragraph breaks: an empty row that is not in the
    // text, and line numbers running ahead of it from there on. Plain text goes in here in
    // one piece, still undoable. Rich text (the control's own copies) is read whole by the
    // control's reader and is left to it, as is a read-only control.
    static const UINT richText = ::RegisterClipboardFormatA("Rich Text Format");
    if (!CountsCharacters() || (::GetWindowLongPtrA(Handle(), GWL_STYLE) & ES_READONLY) ||
        ::IsClipboardFormatAvailable(richText) || !::IsClipboardFormatAvailable(CF_TEXT))
        return false;
    std::string text;
    {
        // One open, which waits for a busy clipboard and never fails loudly: a clipboard
        // another program keeps busy has nothing to paste for now, as an empty one has not.
        const win::ClipboardScope clipboard(Handle(), win::ClipboardScope::TIfFree{});
        if (!clipboard.Open()) return true;
        text = clipboard.Text();
    }
    if (text.empty()) return false; // nothing readable as text: the control decides
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    return true;
}

LRESULT TRichEdit::BackspaceKeyDown(WPARAM wParam, LPARAM lParam) {
    // Wine's control deletes on the Backspace key itself, not on its character message: the
    // key-press event comes here, once, with the character the key makes (DEL with Ctrl),
    // and the character message that follows is not raised again. An error from the
    // handler stops the key as it would stop its character.
    const char made = ::GetKeyState(VK_CONTROL) < 0 ? static_cast<char>(kCtrlBackspace) : '\b';
    backspaceRaised_ = true;
    backspaceCancelled_ = true;
    char key = made;
    const bool keep = RaiseKeyPress(key);
    backspaceCancelled_ = !(keep && key == made);
    if (!backspaceCancelled_) return CallOriginal(WM_KEYDOWN, wParam, lParam);
    // Cancelled or turned into another character: that character goes in instead.
    if (keep) CallOriginal(WM_CHAR, static_cast<unsigned char>(key), lParam);
    return 0;
}

void TRichEdit::RaiseMouseDown(TMouseButton button, WPARAM keys, LPARAM lParam, bool isDouble) {
    if (!OnMouseDown) return;
    unsigned shift = ShiftStateFromMouse(keys);
    if (isDouble) shift |= ssDouble;
    OnMouseDown(button, shift, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

LRESULT TRichEdit::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE:
        // Asked with the message attached, Wine's control takes itself for part of a dialog
        // box for good and from then on swallows Enter. The editor is in no dialog box: it is
        // asked without, and keeps taking Enter as a line break.
        return CallOriginal(msg, wParam, 0);
    case WM_KEYDOWN:
        if (wParam == VK_BACK) return BackspaceKeyDown(wParam, lParam);
        // The paste keys, which the control would handle without a WM_PASTE.
        if (::GetKeyState(VK_MENU) >= 0 &&
            ((wParam == 'V' && ::GetKeyState(VK_CONTROL) < 0) ||
             (wParam == VK_INSERT && ::GetKeyState(VK_SHIFT) < 0 && ::GetKeyState(VK_CONTROL) >= 0)))
            return Send(WM_PASTE);
        {
            CHARRANGE before{};
            Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&before));
            const LRESULT result = CallOriginal(msg, wParam, lParam);
            KeepSelectionInText(before, wParam, lParam);
            return result;
        }
    case WM_PASTE:
        if (PasteText()) return 0;
        // The control's own paste gives up at once on a busy clipboard: it waits here first,
        // as the text path does (and nothing happens if it stays busy).
        if (!win::ClipboardFree(Handle())) return 0;
        return CallOriginal(msg, wParam, lParam);
    case WM_KILLFOCUS:
        // Half a character must not wait for a trail byte typed who knows when.
        pendingLead_ = -1;
        backspaceRaised_ = false;
        return CallOriginal(msg, wParam, lParam);
    case WM_CHAR: {
        if (backspaceRaised_ && (wParam == '\b' || wParam == kCtrlBackspace)) {
            backspaceRaised_ = false;
            // The key did its work; the DEL of Ctrl+Backspace would go in as a character.
            return backspaceCancelled_ || wParam == kCtrlBackspace ? 0 : CallOriginal(msg, wParam, lParam);
        }
        backspaceRaised_ = false;
        char key = static_cast<char>(wParam);
        if (pendingLead_ >= 0) {
            const char lead = static_cast<char>(pendingLead_);
            pendingLead_ = -1;
            if (RaiseKeyPress(key)) InsertTypedPair(lead, key);
            return 0;
        }
        if (!RaiseKeyPress(key)) return 0;
        // Wine stores a double-byte character typed as two character messages broken:
        // the pair is joined here and inserted as one, still undoable.
        if (CountsCharacters() && cp932::IsLeadByte(static_cast<unsigned char>(key))) {
            pendingLead_ = static_cast<unsigned char>(key);
            return 0;
        }
        return CallOriginal(msg, static_cast<unsigned char>(key), lParam);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
        const auto result = CallOriginal(msg, wParam, lParam);
        const bool isDouble = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
        const auto button = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)   ? TMouseButton::mbLeft
                            : (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK) ? TMouseButton::mbRight
                                                                                 : TMouseButton::mbMiddle;
        RaiseMouseDown(button, wParam, lParam, isDouble);
        return result;
    }
    case WM_MOUSEMOVE: {
        const auto result = CallOriginal(msg, wParam, lParam);
        if (OnMouseMove) OnMouseMove(ShiftStateFromMouse(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return result;
    }
    default:
        return CallOriginal(msg, wParam, lParam);
    }
}

// TTextAttributes

namespace {

void SendFormat(HWND wnd, WPARAM scope, CHARFORMATA& format) {
    ::SendMessageA(wnd, EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&format));
}

// The colour part of a character format: the window's text colour follows the system's.
void PutTextColor(CHARFORMATA& f, TColor color) {
    f.dwMask |= CFM_COLOR;
    if (color == clWindowText)
        f.dwEffects |= CFE_AUTOCOLOR;
    else
        f.crTextColor = win::ColorToRGB(color);
}

void SendTextColor(HWND wnd, WPARAM scope, TColor color) {
    CHARFORMATA f{};
    f.cbSize = sizeof f;
    PutTextColor(f, color);
    SendFormat(wnd, scope, f);
}

} // namespace

void SendFont(HWND wnd, WPARAM scope, const TFont& font) {
    // One request for the whole font: the control lays out every paragraph a request touches
    // again, whatever changed, and keeps an undo step for each request.
    CHARFORMATA f{};
    f.cbSize = sizeof f;
    f.dwMask = CFM_FACE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_SIZE;
    PutTextColor(f, font.color);
    const auto n = std::min<std::size_t>(font.name.size(), 31);
    std::memcpy(f.szFaceName, font.name.data(), n);
    f.bCharSet = static_cast<BYTE>(font.charset);
    if (font.bold) f.dwEffects |= CFE_BOLD;
    if (font.italic) f.dwEffects |= CFE_ITALIC;
    if (font.underline) f.dwEffects |= CFE_UNDERLINE;
    if (font.strikeout) f.dwEffects |= CFE_STRIKEOUT;
    f.yHeight = font.PointSize(win::ScreenPixelsPerInch()) * 20;
    SendFormat(wnd, scope, f);
}

void TTextAttributes::TextColor(TColor color) {
    SendTextColor(owner_.Handle(), selection_ ? SCF_SELECTION : SCF_DEFAULT, color);
}

void TTextAttributes::AssignFont(const TFont& font) {
    SendFont(owner_.Handle(), selection_ ? SCF_SELECTION : SCF_DEFAULT, font);
}

// TRichEditStrings

int TRichEditStrings::LineCount() {
    const int n = static_cast<int>(owner_.Send(EM_GETLINECOUNT));
    const auto p = owner_.Send(EM_LINEINDEX, static_cast<WPARAM>(n - 1));
    return owner_.Send(EM_LINELENGTH, static_cast<WPARAM>(p)) == 0 ? n - 1 : n;
}

std::string TRichEditStrings::LineAt(int index) {
    // The buffer's size goes in its first WORD. Wine hands back the last line with a CR LF
    // that is not in the text; room for it.
    constexpr std::size_t kRoom = 4096;
    std::vector<char> buf(kRoom + 4, '\0');
    const auto word = static_cast<WORD>(kRoom);
    std::memcpy(buf.data(), &word, sizeof word);
    auto k = static_cast<std::size_t>(std::max<LRESULT>(
        owner_.Send(EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data())), 0));
    k = std::min(k, kRoom);
    if (k + 2 < kRoom) {
        if (k >= 2 && buf[k - 2] == '\r' && buf[k - 1] == '\n') k -= 2;
        return std::string(buf.data(), k);
    }
    // A row longer than the buffer, in an editor that does not wrap. Wine takes as long over
    // EM_GETLINE as the row is long, whatever the buffer, and no buffer size can exceed a
    // WORD: the row is read again as a range of the text, whole.
    const auto start = owner_.Send(EM_LINEINDEX, static_cast<WPARAM>(index));
    const auto length = owner_.Send(EM_LINELENGTH, static_cast<WPARAM>(start));
    return owner_.TextRun(TControlPos(static_cast<int>(start)), static_cast<int>(length));
}

void TRichEditStrings::AddLine(const std::string& line) {
    const int i = LineCount();
    auto p = static_cast<int>(owner_.Send(EM_LINEINDEX, static_cast<WPARAM>(i)));
    std::string insert;
    if (p >= 0) {
        insert = line + "\r\n";
    } else {
        const auto q = static_cast<int>(owner_.Send(EM_LINEINDEX, static_cast<WPARAM>(i - 1)));
        if (q < 0) return;
        const auto m = static_cast<int>(owner_.Send(EM_LINELENGTH, static_cast<WPARAM>(q)));
        if (m == 0) return;
        p = q + m;
        insert = "\r\n" + line;
    }
    CHARRANGE at{p, p};
    owner_.Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    owner_.Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(insert.c_str()));
    CHARRANGE now{};
    owner_.Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&now));
    const auto insertedLength =
        static_cast<int>(TRichEdit::CountsCharacters() ? cp932::CharCount(insert) : insert.size());
    if (now.cpMin != p + insertedLength) throw EOutOfResources("RichEdit での行の挿入エラー");
}

void TRichEditStrings::ClearAll() {
    // Wine's control takes a time growing with the square of its text to empty itself,
    // however it is emptied, and none to be destroyed: a long text goes with its window,
    // and an empty window just like it takes its place.
    if (owner_.NativeTextLength() > kLongText) {
        win::WaitCursor busy;
        owner_.PutInPlace(owner_.EmptyTwinWindow());
        return;
    }
    ::SetWindowTextA(owner_.Handle(), "");
    owner_.Send(EM_SETMODIFY, FALSE, 0);
}

std::string TRichEditStrings::JoinedText() {
    std::string out;
    const int n = LineCount();
    for (int i = 0; i < n; ++i) {
        out += LineAt(i);
        out += "\r\n";
    }
    return out;
}

} // namespace dodir
