#include "editor/content_door.h"

#include <richedit.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "base/errors.h"
#include "editor/control_text.h"

namespace dodir {

namespace {

// The form learns here, and only here, that a control's window was replaced: it keeps the
// window handles of its controls for the tab order and its active control.
void TellFormOfNewWindow(HWND old, HWND fresh) {
    ::SendMessageA(::GetParent(fresh), win::kMsgControlReplaced, reinterpret_cast<WPARAM>(old),
                   reinterpret_cast<LPARAM>(fresh));
}

} // namespace

win::UniqueWindow TContentDoor::EmptyTwinWindow() {
    HWND self = Window();
    HWND parent = ::GetParent(self);
    RECT r{};
    ::GetWindowRect(self, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    // The styles it was created with: the control takes WS_VSCROLL away while its text fits,
    // and one created without it never shows a scroll bar.
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(::GetDlgCtrlID(self)));
    win::UniqueWindow twin(::CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "", setup_.style & ~WS_VISIBLE,
                                             r.left, r.top, r.right - r.left, r.bottom - r.top, parent, id,
                                             ::GetModuleHandleA(nullptr), nullptr));
    if (!twin) throw EWin32Error("CreateWindow failed: RICHEDIT");
    SetUpWindow(twin.get(), setup_, ::SendMessageA(self, EM_GETLIMITTEXT, 0, 0));
    return twin;
}

void TContentDoor::PutInPlace(win::UniqueWindow twin) {
    HWND fresh = twin.get();
    HWND old = Window();
    const bool focused = ::GetFocus() == old;
    // In the old window's place among its siblings (z-order and so tab order), then shown.
    ::SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // The old window goes last, once the focus has moved on to the new one.
    win::UniqueWindow retired = swap_(twin.release());
    TellFormOfNewWindow(old, fresh);
    if (focused) ::SetFocus(fresh);
}

void TContentDoor::Empty() {
    // Wine's control takes a time growing with the square of its text to empty itself,
    // however it is emptied, and none to be destroyed: a long text goes with its window,
    // and an empty window just like it takes its place.
    if (TControlText(Window()).NativeLength() > kLongText) {
        win::WaitCursor busy;
        PutInPlace(EmptyTwinWindow());
        return;
    }
    ::SetWindowTextA(Window(), "");
    ::SendMessageA(Window(), EM_SETMODIFY, FALSE, 0);
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

bool TContentDoor::TakesBarFirst(HWND twin, std::size_t size) const {
    if (!(setup_.style & WS_VSCROLL) || size == 0) return false;
    // The control's own font size, in pixels, less a pixel for its rounding.
    const int dpi = setup_.pixelsPerInch;
    return size > SurelyOverflowingBytes(twin, ::MulDiv(setup_.font.PointSize(dpi), dpi, 72) - 1);
}

TContentDoor::TBarFirstOutcome TContentDoor::SettleBarFirst(HWND twin) const {
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
    const bool wraps = !(setup_.style & ES_AUTOHSCROLL);
    if (wraps && si.nMax - si.nMin < kSurePages * static_cast<int>(si.nPage)) return TBarFirstOutcome::Unsure;
    return TBarFirstOutcome::Same;
}

bool TContentDoor::ReplaceContent(TContentSource& source) {
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

bool TContentDoor::WriteContent(TContentSink& sink) {
    win::WaitCursor busy;
    StreamCookie out;
    out.sink = &sink;
    return Stream(Window(), EM_STREAMOUT, SF_RTF, out, &StreamOutCallback);
}

} // namespace dodir
