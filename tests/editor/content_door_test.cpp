// The editor's content door (TContentDoor): the whole content read into a twin window that
// takes the control's place, and a long text emptied with its window.
#include "editor/content_door.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "base/errors.h"
#include "editor/rich_edit.h"
#include "support/editor_fixture.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

class RichEditContentTest : public EditorFixture {};

} // namespace

// A short text is emptied in place; a long one goes with its window and an empty twin takes
// its place. Either way the user finds the same empty editor: background, text limit,
// place, identifier, focus and events as before.
TEST_F(RichEditContentTest, ClearAllEmptiesButKeepsTheBackground) {
    std::string longText;
    for (int i = 0; i < 3000; ++i) longText += "line " + std::to_string(i) + "\r\n";
    for (const std::string& text : {std::string("abc\r\ndef"), longText}) {
        editor_->SetColor(RGBColor(255, 255, 0));
        SetText(text);
        ::SendMessageA(Wnd(), EM_SETMODIFY, TRUE, 0);
        editor_->SetTextLimit(TRichEdit::kUnlimitedText);
        const auto style = ::GetWindowLongPtrA(Wnd(), GWL_STYLE);
        RECT before{};
        ::GetWindowRect(Wnd(), &before);
        ::SetFocus(Wnd());
        editor_->Lines.ClearAll();
        EXPECT_EQ(editor_->Text(), "");
        EXPECT_EQ(::SendMessageA(Wnd(), EM_GETMODIFY, 0, 0), 0);
        EXPECT_EQ(editor_->Color(), RGBColor(255, 255, 0));
        EXPECT_EQ(::SendMessageA(Wnd(), EM_SETBKGNDCOLOR, 0, RGB(255, 255, 0)), RGB(255, 255, 0));
        EXPECT_EQ(::SendMessageA(Wnd(), EM_GETLIMITTEXT, 0, 0), TRichEdit::kUnlimitedText);
        // The scroll bar goes while the text fits, and comes back with a long one.
        EXPECT_EQ(::GetWindowLongPtrA(Wnd(), GWL_STYLE) | WS_VSCROLL, style | WS_VSCROLL);
        RECT after{};
        ::GetWindowRect(Wnd(), &after);
        EXPECT_TRUE(::EqualRect(&before, &after));
        EXPECT_EQ(::GetDlgItem(editor_.host.get(), 1), Wnd());
        EXPECT_EQ(::GetFocus(), Wnd());
        int raised = 0;
        editor_->OnKeyPress = [&](char&) { ++raised; };
        TypeText(Wnd(), "x");
        EXPECT_EQ(raised, 1);
        EXPECT_EQ(editor_->Text(), "x");
        editor_->OnKeyPress = nullptr;
        SetText(longText);
        EXPECT_TRUE(::GetWindowLongPtrA(Wnd(), GWL_STYLE) & WS_VSCROLL);
    }
}

// While the whole content is read in, the pointer is the wait cursor; afterwards, with no
// window of the program under the pointer, it is the cursor from before, whether the read
// succeeded or failed. A source that failed (here in the middle of a control word, after
// which Wine's reader asks again) is asked no more.
TEST_F(RichEditContentTest, ReplacingTheContentShowsTheWaitCursorUntilItEndsEvenInFailure) {
    struct WatchingSource : TContentSource {
        bool fail = false;
        HCURSOR seen = nullptr;
        bool given = false;
        int askedAfterFailing = -1;
        bool Start(TContentFormat) override {
            given = false;
            return true;
        }
        std::size_t NextPiece(char* buf, std::size_t size) override {
            seen = ::GetCursor();
            const std::string piece = fail ? "{\\rtf1 \\fs12" : "x";
            if (given && fail) {
                ++askedAfterFailing;
                throw EOutOfResources("read failed");
            }
            if (given || size < piece.size()) return 0;
            given = true;
            piece.copy(buf, piece.size());
            return piece.size();
        }
    };
    const HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW), wait = ::LoadCursorA(nullptr, IDC_WAIT);
    ::SetCursorPos(0, 0);
    for (bool fail : {false, true}) {
        ::SetCursor(arrow);
        WatchingSource source;
        source.fail = fail;
        if (fail)
            EXPECT_THROW(editor_->ReplaceContent(source), EOutOfResources);
        else
            EXPECT_TRUE(editor_->ReplaceContent(source));
        EXPECT_EQ(source.seen, wait) << fail;
        EXPECT_EQ(::GetCursor(), arrow) << fail;
        EXPECT_EQ(source.askedAfterFailing, fail ? 0 : -1);
    }
    EXPECT_EQ(editor_->Text(), "x");
}

// A document that surely overflows the window goes into one that shows its scroll bar before
// the stream, and ends as the same editor's reading without its size leaves it, also when it
// fits after all (the bar hidden again) or might have at the full width (read again).
static std::string rep(const std::string& s, int n) { return n ? rep(s + s, n / 2) + (n % 2 ? s : "") : ""; }
static bool g_barFirst; // a stream began with the bar shown
static LRESULT CALLBACK WatchStreams(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    g_barFirst |= m->message == EM_STREAMIN && (::GetWindowLongPtrA(m->hwnd, GWL_STYLE) & WS_VSCROLL);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
TEST_F(RichEditContentTest, ALargeDocumentReadsAsTheControlAloneReadsIt) {
    const std::pair<std::string, bool> docs[] = {
        {"短いメモ\r\n二行目\r\n", false},
        {rep("ASCII text in lines, one after another\r\n", 2500), true},
        {rep("行: 日本語のメモと ASCII text, mixed on one line.\r\n", 2000), true},
        {rep(rep("wrapping words of a long line ", 100) + "\r\n", 30), true},
        {"{\\rtf1\\ansi" + rep("\\fs16 small \\fs40 large words\\par ", 2000) + "}", true},
        {"{\\rtf1\\ansi" + rep("\\b\\b0 ", 15000) + " fits}", true},
        {"{\\rtf1\\ansi" + rep("\\b\\b0 ", 15000) + rep("row\\par ", 24) + "}", true}};
    const std::unique_ptr<std::remove_pointer_t<HHOOK>, decltype(&::UnhookWindowsHookEx)> hook(
        ::SetWindowsHookExA(WH_CALLWNDPROC, &WatchStreams, nullptr, ::GetCurrentThreadId()),
        &::UnhookWindowsHookEx);
    for (const auto& [bytes, large] : docs) {
        std::string state[2];
        for (int hinted : {0, 1}) {
            StringSource source(bytes, hinted ? bytes.size() : 0);
            g_barFirst = false;
            ASSERT_TRUE(editor_->ReplaceContent(source));
            EXPECT_EQ(g_barFirst, hinted && large) << bytes.size();
            HWND w = Wnd();
            SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
            ::GetScrollInfo(w, SB_VERT, &si);
            // Asked for a position below 0x40000 in wParam, the control gives (x, y) as its result.
            const auto length = ::SendMessageA(w, WM_GETTEXTLENGTH, 0, 0);
            for (LRESULT n :
                 {::SendMessageA(w, EM_GETLINECOUNT, 0, 0), ::SendMessageA(w, EM_CANUNDO, 0, 0),
                  ::SendMessageA(w, EM_GETMODIFY, 0, 0), ::SendMessageA(w, EM_GETFIRSTVISIBLELINE, 0, 0),
                  LRESULT{editor_->SelectionStart()}, LRESULT{editor_->SelectionLength()}, LRESULT{si.nMin},
                  LRESULT{si.nMax}, LRESULT(si.nPage), LRESULT{si.nPos},
                  ::GetWindowLongPtrA(w, GWL_STYLE) & WS_VSCROLL, ::SendMessageA(w, EM_POSFROMCHAR, 0, 0),
                  ::SendMessageA(w, EM_POSFROMCHAR, length / 2, 0),
                  ::SendMessageA(w, EM_POSFROMCHAR, length - 1, 0)})
                state[hinted] += std::to_string(n) + " ";
            state[hinted] += editor_->Text();
        }
        EXPECT_TRUE(state[1] == state[0]) << state[1].substr(0, 99) << "\n" << state[0].substr(0, 99);
    }
}
