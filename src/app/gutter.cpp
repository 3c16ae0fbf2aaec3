#include "app/gutter.h"

#include <richedit.h>

#include <richole.h>
#include <textserv.h>

#include <optional>

#include "base/win/handles.h"

namespace dodir {

namespace {

// The top of the row holding a position, in client pixels (above the client area when the
// view is scrolled past it).
int TopOf(HWND edit, LRESULT position) {
    POINTL at{};
    ::SendMessageA(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), position);
    return static_cast<int>(at.y);
}

LRESULT Ask(const TRichEdit& editor, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageA(editor.Handle(), msg, wParam, lParam);
}

// The rows of a document whose rows all have one height: the view shows from row
// scrolled / height.
struct TRowGrid {
    int height;   // of every row
    int scrolled; // pixels of the document above the view
};

// The control's text services, which every rich edit control hands out; declared but not
// defined by the platform's headers.
constexpr IID kTextServicesId = {
    0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};

// The document's height and how much of it lies above the view, in pixels, as the control
// keeps them for its scroll bar (the bar itself takes only 16 bits of them); none when the
// control does not tell.
struct TVerticalExtent {
    LONG height;
    LONG scrolled;
};
std::optional<TVerticalExtent> VerticalExtent(const TRichEdit& editor) {
    IRichEditOle* ole = nullptr;
    if (!Ask(editor, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) || !ole) return std::nullopt;
    const win::UniqueCom<IRichEditOle> oleOwner(ole);
    void* found = nullptr;
    if (FAILED(ole->QueryInterface(kTextServicesId, &found)) || !found) return std::nullopt;
    const win::UniqueCom<ITextServices> services(static_cast<ITextServices*>(found));
    LONG min = 0, max = 0, pos = 0, page = 0;
    BOOL enabled = FALSE;
    if (FAILED(services.get()->TxGetVScroll(&min, &max, &pos, &page, &enabled)) || min != 0 || pos < 0)
        return std::nullopt;
    return TVerticalExtent{max, pos};
}

// A grid when every row of the document has the first row's height; none when any may not.
// The rows have one height when the document's height is the row count times the first
// row's height, and the view starts where the first row's top says it does.
std::optional<TRowGrid> UniformRows(const TRichEdit& editor, int rowCount) {
    if (rowCount < 2) return std::nullopt;
    const LRESULT second = Ask(editor, EM_LINEINDEX, 1);
    if (second <= 0) return std::nullopt;
    const auto extent = VerticalExtent(editor);
    if (!extent) return std::nullopt;
    RECT format{};
    Ask(editor, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    // Wine finds a position by walking the paragraphs up to it: asked only of the first two rows.
    const int top = TopOf(editor.Handle(), 0);
    const int height = TopOf(editor.Handle(), second) - top;
    if (height <= 0 || format.top - top != extent->scrolled ||
        static_cast<long long>(rowCount) * height != extent->height)
        return std::nullopt;
    return TRowGrid{height, static_cast<int>(extent->scrolled)};
}

} // namespace

bool TEditorRows::RowsShareOneHeight(const TRichEdit& editor) {
    return UniformRows(editor, RowCount(editor)).has_value();
}

int TEditorRows::RowCount(const TRichEdit& editor) { return static_cast<int>(Ask(editor, EM_GETLINECOUNT)); }

int TEditorRows::FirstVisibleRow(const TRichEdit& editor) {
    if (const auto grid = UniformRows(editor, RowCount(editor))) return grid->scrolled / grid->height;
    return static_cast<int>(Ask(editor, EM_GETFIRSTVISIBLELINE));
}

int TEditorRows::CaretRow(const TRichEdit& editor) {
    return static_cast<int>(Ask(editor, EM_LINEFROMCHAR, static_cast<WPARAM>(-1)));
}

int TEditorRows::LineCount(const TRichEdit& editor) {
    const int count = RowCount(editor);
    // The last row is empty when the text ends with a line break (or is empty). With the caret
    // alone at the end of the text, the caret's row is the last one, and the control keeps
    // where the caret's row starts.
    CHARRANGE caret{};
    Ask(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    const LRESULT length = Ask(editor, WM_GETTEXTLENGTH);
    if (caret.cpMin == caret.cpMax && caret.cpMax == length)
        return Ask(editor, EM_LINEINDEX, static_cast<WPARAM>(-1)) == length ? count - 1 : count;
    const LRESULT lastStart = Ask(editor, EM_LINEINDEX, static_cast<WPARAM>(count - 1));
    return Ask(editor, EM_LINELENGTH, static_cast<WPARAM>(lastStart)) == 0 ? count - 1 : count;
}

namespace {

// The top of a row of the gutter in client pixels; the client's height for a row it lacks.
int RowTop(HWND gutter, int row) {
    const auto start = ::SendMessageA(gutter, EM_LINEINDEX, static_cast<WPARAM>(row), 0);
    RECT client{};
    ::GetClientRect(gutter, &client);
    return start < 0 ? client.bottom : TopOf(gutter, start);
}

CHARRANGE SelectionOf(HWND wnd) {
    CHARRANGE r{};
    ::SendMessageA(wnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

} // namespace

TGutter::TGutter(HWND parent, const TRichEditSettings& settings)
    : RichEdit2(std::make_unique<TRichEdit>(parent, settings)) {}

bool TGutter::ShowsLastNumbers() const {
    HWND wnd = RichEdit2->Handle();
    if (wnd != filledWindow_ || ::SendMessageA(wnd, EM_GETMODIFY, 0, 0) ||
        ::SendMessageA(wnd, EM_GETFIRSTVISIBLELINE, 0, 0) != 0)
        return false;
    const CHARRANGE now = SelectionOf(wnd);
    return now.cpMin == filledSelection_.cpMin && now.cpMax == filledSelection_.cpMax;
}

TGutterNumbers TGutter::NumbersFrom(int first, const TRichEdit& editor) const {
    // The line count matters only when the document ends before the last row that fits.
    const int fit = first + rowsThatFit_;
    return GutterNumbers(first, fit < TEditorRows::RowCount(editor) ? fit : TEditorRows::LineCount(editor),
                         rowsThatFit_);
}

void TGutter::Refresh(const TRichEdit& editor) {
    const int first = TEditorRows::FirstVisibleRow(editor);
    if (ShowsLastNumbers() && first + 1 == shown_.first) {
        const TGutterNumbers numbers = NumbersFrom(first, editor);
        if (numbers.first == shown_.first && numbers.last >= numbers.first) {
            // Where the document ends in view, a line more or less changes the last numbers
            // only: those rows alone change, and only they are drawn again.
            if (numbers.last != shown_.last) EndNumbersAt(numbers.last);
            return;
        }
    }
    Fill(first, editor);
}

void TGutter::EndNumbersAt(int last) {
    HWND wnd = RichEdit2->Handle();
    // Every number's row ends with a line break: the row of number k is row k - shown_.first.
    const auto end = static_cast<LONG>(::SendMessageA(wnd, WM_GETTEXTLENGTH, 0, 0));
    std::string more;
    for (int k = shown_.last + 1; k <= last; ++k) more += std::to_string(k) + "\r\n";
    const LONG from = last > shown_.last
                          ? end
                          : static_cast<LONG>(::SendMessageA(
                                wnd, EM_LINEINDEX, static_cast<WPARAM>(last - shown_.first + 1), 0));
    CHARRANGE span{from, end};
    ::SendMessageA(wnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&span));
    ::SendMessageA(wnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(more.c_str()));
    // The control keeps its caret in view; the top row must still face the editor's.
    if (::SendMessageA(wnd, EM_GETFIRSTVISIBLELINE, 0, 0) != 0) ::SendMessageA(wnd, WM_VSCROLL, SB_TOP, 0);
    ::SendMessageA(wnd, EM_SETMODIFY, FALSE, 0);
    filledSelection_ = SelectionOf(wnd);
    shown_.last = last;
}

void TGutter::Fill(int first, const TRichEdit& editor) {
    TRichEdit& gutter = *RichEdit2;
    gutter.Lines.ClearAll();
    // Only the numbers the gutter can show: from first + 1 for as many rows as fit its
    // height, never past one beyond the last line. The first number tells the height of a
    // row; the rest go in at once.
    TRichEdit::RedrawSuspended quiet(gutter);
    gutter.Lines.AddLine(std::to_string(first + 1));
    HWND wnd = gutter.Handle();
    const int top = RowTop(wnd, 0);
    RECT client{};
    ::GetClientRect(wnd, &client);
    rowsThatFit_ = GutterRowsThatFit(client.bottom, top, RowTop(wnd, 1) - top);
    shown_ = NumbersFrom(first, editor);
    if (shown_.last < shown_.first) {
        Clear();
        return;
    }
    std::string rest;
    for (int k = shown_.first + 1; k <= shown_.last; ++k) {
        if (!rest.empty()) rest += "\r\n";
        rest += std::to_string(k);
    }
    if (!rest.empty()) gutter.Lines.AddLine(rest);
    // Adding keeps the gutter's caret in view; its top line must face the editor's.
    ::SendMessageA(wnd, WM_VSCROLL, SB_TOP, 0);
    ::SendMessageA(wnd, EM_SETMODIFY, FALSE, 0);
    filledWindow_ = wnd;
    filledSelection_ = SelectionOf(wnd);
}

void TGutter::Clear() {
    RichEdit2->Lines.ClearAll();
    filledWindow_ = nullptr;
    shown_ = {1, 0};
}

void TGutter::AssignSelectionFont(const TFont& font) {
    RichEdit2->SelectionFormat.AssignFont(font);
    filledWindow_ = nullptr;
}

} // namespace dodir
