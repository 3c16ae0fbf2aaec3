// The editor's input fixes (TInputFixes) and the events they raise: keys, typed double-byte
// characters, the caret kept in the text, pastes and mouse presses.
#include "editor/input_fixes.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/errors.h"
#include "editor/rich_edit.h"
#include "support/editor_fixture.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

class RichEditInputTest : public EditorFixture {};

} // namespace

TEST_F(RichEditInputTest, KeyPressComesBeforeTheCharacterAndCanChangeOrCancelIt) {
    std::string seen;
    editor_->OnKeyPress = [&](char& key) {
        seen = editor_->Text();
        if (key == 'q') key = '\0';
        if (key == 'u') key = 'U';
    };
    TypeText(Wnd(), "a");
    EXPECT_EQ(seen, "");
    EXPECT_EQ(editor_->Text(), "a");
    TypeText(Wnd(), "q");
    EXPECT_EQ(seen, "a");
    EXPECT_EQ(editor_->Text(), "a");
    TypeText(Wnd(), "u");
    EXPECT_EQ(editor_->Text(), "aU");
}

TEST_F(RichEditInputTest, BackspaceRaisesOneKeyPressBeforeItDeletes) {
    SetText("abc");
    editor_->SetSelectionStart(3);
    std::string keys;
    std::string seen;
    editor_->OnKeyPress = [&](char& key) {
        keys += key;
        seen = editor_->Text();
    };
    TypeText(Wnd(), "\b");
    EXPECT_EQ(keys, "\b");
    EXPECT_EQ(seen, "abc");
    EXPECT_EQ(editor_->Text(), "ab");

    // Ctrl+Backspace makes DEL: one event with that character, and no DEL in the text.
    SetText("one two");
    editor_->SetSelectionStart(7);
    keys.clear();
    {
        HeldKeys ctrl{VK_CONTROL};
        ::SendMessageA(Wnd(), WM_KEYDOWN, VK_BACK, 1);
        ::SendMessageA(Wnd(), WM_CHAR, 0x7F, 1);
    }
    EXPECT_EQ(keys, "\x7f");
    EXPECT_EQ(seen, "one two");
    EXPECT_LT(editor_->Text().size(), 7u);
    EXPECT_EQ(editor_->Text().find('\x7f'), std::string::npos);

    editor_->OnKeyPress = [](char& key) { key = '\0'; };
    SetText("ab");
    editor_->SetSelectionStart(2);
    TypeText(Wnd(), "\b");
    EXPECT_EQ(editor_->Text(), "ab");

    // An error from the handler stops the key; its character message raises nothing more.
    int raised = 0;
    editor_->OnKeyPress = [&](char&) {
        ++raised;
        throw EConvertError("stop");
    };
    BoxWatcher box({BoxWatcher::ErrorBox()});
    TypeText(Wnd(), "\b");
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"stop."});
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(editor_->Text(), "ab");
}

// Asked for its dialog code with the message attached (as a form's arrow-key navigation
// asks), the control must still take Enter as a line break.
TEST_F(RichEditInputTest, EnterStaysALineBreakAfterTheDialogCodeWasAsked) {
    SetText("a");
    editor_->SetSelectionStart(1);
    MSG asked{Wnd(), WM_KEYDOWN, VK_LEFT, 1, 0, {}};
    ::SendMessageA(Wnd(), WM_GETDLGCODE, VK_LEFT, reinterpret_cast<LPARAM>(&asked));
    ::SendMessageA(Wnd(), WM_KEYDOWN, VK_RETURN, 1);
    TypeText(Wnd(), "\rb");
    EXPECT_EQ(editor_->Text(), "a\r\nb");
}

TEST_F(RichEditInputTest, AHalfTypedCharacterIsDroppedWhenTheFocusLeaves) {
    ::SetFocus(Wnd());
    TypeText(Wnd(), std::string(1, '\x93')); // the lead byte of 日
    ::SetFocus(editor_.host.get());
    ::SetFocus(Wnd());
    TypeText(Wnd(), "A");
    EXPECT_EQ(editor_->Text(), "A");
}

TEST_F(RichEditInputTest, DoubleByteCharactersTypedAsTwoMessagesArriveWhole) {
    int raised = 0;
    editor_->OnKeyPress = [&](char&) { ++raised; };
    TypeText(Wnd(), "日本語");
    EXPECT_EQ(editor_->Text(), "日本語");
    EXPECT_EQ(raised, 6);
    ::SendMessageA(Wnd(), WM_UNDO, 0, 0);
    EXPECT_NE(editor_->Text(), "日本語"); // typing stays undoable
}

TEST_F(RichEditInputTest, MouseDownComesAfterTheCaretMoved) {
    SetText("first\r\nsecond\r\nthird");
    POINTL pt{};
    const auto third = ::SendMessageA(Wnd(), EM_LINEINDEX, 2, 0);
    ::SendMessageA(Wnd(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&pt), third);
    int line = -1;
    int gotX = -1, gotY = -1;
    TMouseButton got = TMouseButton::mbMiddle;
    editor_->OnMouseDown = [&](TMouseButton b, unsigned, int x, int y) {
        line = CaretLine(editor_->Handle());
        got = b;
        gotX = x;
        gotY = y;
    };
    const LPARAM at = MAKELPARAM(pt.x + 2, pt.y + 3);
    ::SendMessageA(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(Wnd(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(got, TMouseButton::mbLeft);
    EXPECT_EQ(gotX, pt.x + 2);
    EXPECT_EQ(gotY, pt.y + 3);
    ::SendMessageA(Wnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));
    EXPECT_EQ(got, TMouseButton::mbRight);
}

TEST_F(RichEditInputTest, MouseMoveReportsSignedClientCoordinates) {
    int gotX = 0, gotY = 0;
    editor_->OnMouseMove = [&](unsigned, int x, int y) {
        gotX = x;
        gotY = y;
    };
    ::SendMessageA(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, -7));
    EXPECT_EQ(gotX, -5);
    EXPECT_EQ(gotY, -7);
}

TEST_F(RichEditInputTest, ErrorInAnEventHandlerStopsTheMessageAndReachesTheErrorBox) {
    editor_->OnKeyPress = [](char&) { throw EConvertError("'x' は整数ではありません"); };
    BoxWatcher box({BoxWatcher::ErrorBox()});
    TypeText(Wnd(), "a");
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"'x' は整数ではありません."});
    EXPECT_EQ(editor_->Text(), "");
}

// Wine's control lets Right and Down take the caret past the text's end, into the final
// paragraph mark that is not part of the text; Enter there brings the control down.
TEST_F(RichEditInputTest, NavigationKeysKeepTheCaretInsideTheText) {
    for (UINT vk : {VK_RIGHT, VK_DOWN, VK_END, VK_NEXT}) {
        SetText("a\r\nb");
        editor_->SetSelectionStart(4);
        ::SendMessageA(Wnd(), WM_KEYDOWN, vk, 1);
        ::SendMessageA(Wnd(), WM_KEYUP, vk, 0xC0000001);
        CHARRANGE r{};
        ::SendMessageA(Wnd(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
        EXPECT_LE(r.cpMax, 4) << vk;
        ::SendMessageA(Wnd(), WM_KEYDOWN, VK_RETURN, 1);
        TypeText(Wnd(), "\rc");
        EXPECT_EQ(editor_->Text(), "a\r\nb\r\nc") << vk;
    }
}

// Left from the start of a line or Right from the end of the line before stops Wine's caret
// between the CR and the LF; Enter there brings the control down. Every arrow press steps
// over a line break whole, and Shift keeps extending from the end that moves.
TEST_F(RichEditInputTest, ArrowsStepOverALineBreakWhole) {
    const auto press = [&](UINT vk, bool shift = false) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(keys);
        ::SendMessageA(Wnd(), WM_KEYDOWN, vk, 1);
        ::SendMessageA(Wnd(), WM_KEYUP, vk, 0xC0000001);
        keys[VK_SHIFT] = 0;
        ::SetKeyboardState(keys);
        return editor_->SelectionStart() + (vk == VK_RIGHT ? editor_->SelectionLength() : 0);
    };
    SetText("ab\r\n\r\ncd");
    editor_->SetSelectionStart(8);
    std::vector<int> stops;
    for (int k = 0; k < 7; ++k) stops.push_back(press(VK_LEFT));
    EXPECT_EQ(stops, (std::vector<int>{7, 6, 4, 2, 1, 0, 0}));
    stops.clear();
    for (int k = 0; k < 7; ++k) stops.push_back(press(VK_RIGHT));
    EXPECT_EQ(stops, (std::vector<int>{1, 2, 4, 6, 7, 8, 8}));

    editor_->SetSelectionStart(6);
    press(VK_LEFT, true);
    press(VK_LEFT, true);
    EXPECT_EQ(editor_->SelectionStart(), 2);
    EXPECT_EQ(editor_->SelectionLength(), 4);

    editor_->SetSelectionStart(6);
    press(VK_LEFT);
    ::SendMessageA(Wnd(), WM_KEYDOWN, VK_RETURN, 1);
    TypeText(Wnd(), "\rx");
    EXPECT_EQ(editor_->Text(), "ab\r\n\r\nx\r\ncd");
}

// Another program may hold the clipboard open for a moment: a paste waits for it, and when it
// stays busy the paste does nothing and shows nothing; the next paste works.
TEST_F(RichEditInputTest, PasteWaitsForABusyClipboardAndOtherwiseDoesNothing) {
    for (const DWORD heldMs : {30, 3000}) {
        SetText("");
        ASSERT_TRUE(PutOnClipboard("pasted"));
        std::atomic<int> holding = 0; // 1 held, -1 could not be opened
        std::thread holder([&] {
            if (!::OpenClipboard(nullptr)) {
                holding = -1;
                return;
            }
            holding = 1;
            ::Sleep(heldMs);
            ::CloseClipboard();
        });
        while (holding == 0) ::Sleep(1);
        {
            BoxWatcher none;
            editor_->PasteClipboard();
            EXPECT_TRUE(none.Seen().empty()) << heldMs;
        }
        holder.join();
        ASSERT_EQ(holding, 1);
        EXPECT_EQ(editor_->Text(), heldMs < 100 ? "pasted" : "") << heldMs;
        editor_->PasteClipboard();
        EXPECT_EQ(editor_->Text(), heldMs < 100 ? "pastedpasted" : "pasted") << heldMs;
    }
}

// Wine's control pastes plain text in pieces of 2048 characters and counts a CR and its LF
// that fall into two pieces as two breaks. A paste, by message or by key, is one piece and
// stays undoable.
TEST_F(RichEditInputTest, PastedLinesAreCountedAsTheyAre) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "n\r\n";
    for (bool byKey : {false, true}) {
        SetText("");
        ASSERT_TRUE(PutOnClipboard(text));
        if (byKey) {
            HeldKeys ctrl{VK_CONTROL};
            ::SendMessageA(Wnd(), WM_KEYDOWN, 'V', 1);
        } else {
            editor_->PasteClipboard();
        }
        EXPECT_EQ(editor_->Text(), text);
        EXPECT_EQ(::SendMessageA(Wnd(), EM_GETLINECOUNT, 0, 0), 1001) << byKey;
        editor_->UndoLastEdit();
        EXPECT_EQ(editor_->Text(), "");
    }
}
