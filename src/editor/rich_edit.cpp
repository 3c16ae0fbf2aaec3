#include "editor/rich_edit.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

#include "base/cp932.h"
#include "base/errors.h"
#include "base/win/font.h"

namespace dodir {

namespace {

TEditorWindowSetup SetupOf(const TRichEditSettings& s) {
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
    return {style, s.leftOverhang, s.pixelsPerInch, s.color, s.font};
}

} // namespace

TRichEdit::TRichEdit(HWND parent, const TRichEditSettings& s)
    : Lines(*this, door_), SelectionFormat(*this, s.pixelsPerInch), setup_(SetupOf(s)),
      input_(*this,
             [this](UINT msg, WPARAM wParam, LPARAM lParam) { return CallOriginal(msg, wParam, lParam); }),
      door_(*this, setup_, [this](HWND fresh) { return TakeWindow(fresh); }) {
    LoadRichEditLibrary();
    CreateControl(WS_EX_CLIENTEDGE, "RICHEDIT", "", setup_.style, s.bounds.left, s.bounds.top,
                  s.bounds.right - s.bounds.left, s.bounds.bottom - s.bounds.top, parent, s.id);
    const auto classStyle = ::GetClassLongPtrA(Handle(), GCL_STYLE);
    if (classStyle & (CS_HREDRAW | CS_VREDRAW))
        ::SetClassLongPtrA(Handle(), GCL_STYLE,
                           classStyle & ~static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW));
    SetUpWindow(Handle(), setup_, 0);
}

LRESULT TRichEdit::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return input_.HandleMessage(msg, wParam, lParam);
}

win::UniqueWindow TRichEdit::TakeWindow(HWND fresh) {
    win::UniqueWindow retired = SwapWindow(fresh);
    input_.Forget();
    return retired;
}

// Text and selection

std::string TRichEdit::Text() {
    const auto len = static_cast<std::size_t>(ControlText().NativeLength());
    std::vector<char> buf((TControlText::CountsCharacters() ? 2 * len : len) + 1, '\0');
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
    if (!TControlText::CountsCharacters()) return hi - lo;
    const auto prefix = ControlText().Prefix(hi * 2);
    return static_cast<int>(ByteOffsetOfChar(prefix, static_cast<std::size_t>(hi)) -
                            ByteOffsetOfChar(prefix, static_cast<std::size_t>(lo)));
}

void TRichEdit::SetSelectionLength(int length) {
    CHARRANGE r{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    const TControlPos end = NativeFromByte(ByteFromNative(TControlPos(r.cpMin)) + length);
    CHARRANGE sel{r.cpMin, end.value};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    Send(kRichEditScrollCaret);
}

void TRichEdit::ReplaceSelection(const std::string& text) {
    Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TRichEdit::SelectWholeText() {
    Send(EM_SETSEL, 0, -1);
    // Wine's control selects a final paragraph mark that is not part of the text; a copy
    // would carry it and a paste add a line break. Keep the selection to the text.
    if (TControlText::CountsCharacters()) {
        CHARRANGE all{0, ControlText().NativeLength()};
        Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    }
}

void TRichEdit::UndoLastEdit() { Send(WM_UNDO); }

// The clipboard: a paste goes through the input fixes (WM_PASTE).

void TRichEdit::CutSelection() { Send(WM_CUT); }
void TRichEdit::CopySelection() { Send(WM_COPY); }
void TRichEdit::PasteClipboard() { Send(WM_PASTE); }

// Spans

TRichEdit::TSpan TRichEdit::SelectionSpan() {
    CHARRANGE r{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    // Selecting all reaches past a final paragraph mark that is not part of the text.
    const int len = ControlText().NativeLength();
    const int lo = std::clamp<int>(r.cpMin, 0, len);
    return {TControlPos(lo), TControlPos(r.cpMax < 0 ? len : std::clamp<int>(r.cpMax, lo, len))};
}

std::optional<TRichEdit::TSpan> TRichEdit::FindFrom(const std::string& text, TControlPos start) {
    if (text.empty()) return std::nullopt;
    const int length = static_cast<int>(TControlText::CountsCharacters() ? CharCount(text) : text.size());
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
        if (ControlText().StartsCharacter(span.min) && ControlText().StartsCharacter(span.max)) return span;
        from = found + 1;
    }
}

void TRichEdit::SelectSpan(TSpan span) {
    CHARRANGE r{span.min.value, span.max.value};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    Send(kRichEditScrollCaret);
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

// Colour, font, limit

void TRichEdit::SetColor(TColor color) {
    if (color == setup_.color) return;
    setup_.color = color;
    ::InvalidateRect(Handle(), nullptr, TRUE);
    Send(EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(win::ColorToRGB(color)));
}

void TRichEdit::SetFont(const TFont& font) {
    setup_.font = font;
    SendFont(Handle(), SCF_DEFAULT, setup_.font, setup_.pixelsPerInch);
}

void TRichEdit::SetPixelsPerInch(int pixelsPerInch) {
    if (pixelsPerInch <= 0 || pixelsPerInch == setup_.pixelsPerInch) return;
    setup_.font = FontAtResolution(setup_.font, setup_.pixelsPerInch, pixelsPerInch);
    setup_.pixelsPerInch = pixelsPerInch;
    SelectionFormat.SetPixelsPerInch(pixelsPerInch);
    SendFont(Handle(), SCF_DEFAULT, setup_.font, setup_.pixelsPerInch);
}

void TRichEdit::SetTextLimit(int limit) { Send(EM_EXLIMITTEXT, 0, limit); }

// TTextAttributes

void TTextAttributes::TextColor(TColor color) { SendTextColor(owner_.Handle(), SCF_SELECTION, color); }

void TTextAttributes::AssignFont(const TFont& font) {
    SendFont(owner_.Handle(), SCF_SELECTION, font, pixelsPerInch_);
}

} // namespace dodir
