#include "editor/rich_edit.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

// A byte offset is no position of the control: passed where one is expected, it does not compile.
static_assert(!std::is_convertible_v<int, TControlPos>);
static_assert(!std::is_invocable_v<decltype(&TRichEdit::FindFrom), TRichEdit&, const std::string&, int>);
static_assert(!std::is_invocable_v<decltype(&TRichEdit::ByteFromNative), TRichEdit&, int>);

namespace {

class RichEditTest : public ::testing::Test {
  protected:
    HWND Wnd() const { return editor_->Handle(); }
    void SetText(const std::string& t) { SetTextAndPump(Wnd(), t); }

    HostedEditor editor_{300, 200};
};

} // namespace

TEST_F(RichEditTest, EmptyControl) {
    EXPECT_EQ(editor_->Text(), "");
    EXPECT_EQ(editor_->Lines.LineCount(), 0);
    EXPECT_EQ(editor_->Lines.JoinedText(), "");
    EXPECT_EQ(CaretLine(editor_->Handle()), 0);
    EXPECT_EQ(FirstVisibleLine(editor_->Handle()), 0);
    EXPECT_EQ(editor_->SelectionStart(), 0);
    EXPECT_EQ(editor_->SelectionLength(), 0);
}

TEST_F(RichEditTest, OneLineWithFinalBreak) {
    SetText("abc\r\n");
    EXPECT_EQ(editor_->Lines.LineCount(), 1);
    EXPECT_EQ(editor_->Lines.LineAt(0), "abc");
    EXPECT_EQ(editor_->Lines.JoinedText(), "abc\r\n");
    EXPECT_EQ(editor_->Text(), "abc\r\n");
    EXPECT_EQ(editor_->Lines.LineAt(5), "");
}

TEST_F(RichEditTest, LineCountFollowsTheLastLine) {
    SetText("abc");
    EXPECT_EQ(editor_->Lines.LineCount(), 1);
    SetText("abc\r\n\r\n");
    EXPECT_EQ(editor_->Lines.LineCount(), 2);
    SetText("いろは\r\nにほへと");
    EXPECT_EQ(editor_->Lines.LineCount(), 2);
    EXPECT_EQ(editor_->Lines.LineAt(1), "にほへと");
}

TEST_F(RichEditTest, WrappedParagraphCountsAsSeveralLines) {
    std::string para;
    for (int i = 0; i < 60; ++i) para += "あい ";
    SetText(para);
    const int lines = editor_->Lines.LineCount();
    ASSERT_GE(lines, 2);
    EXPECT_EQ(editor_->Text(), para);
    const std::string joined = editor_->Lines.JoinedText();
    // One CR LF per display line, none in the text itself.
    std::string withoutBreaks;
    int breaks = 0;
    for (std::size_t i = 0; i < joined.size(); ++i) {
        if (joined.compare(i, 2, "\r\n") == 0) {
            ++breaks;
            ++i;
        } else {
            withoutBreaks += joined[i];
        }
    }
    EXPECT_EQ(breaks, lines);
    EXPECT_EQ(withoutBreaks, para);
    // The first display line ends where the second starts.
    const auto secondStart = static_cast<int>(::SendMessageA(Wnd(), EM_LINEINDEX, 1, 0));
    EXPECT_EQ(editor_->Lines.LineAt(0).size(),
              static_cast<std::size_t>(editor_->ByteFromNative(TControlPos(secondStart))));
}

// An editor that does not wrap has rows as long as its lines, also longer than a buffer whose
// size fits a WORD.
TEST(RichEditRows, LongRowsOfAnEditorThatDoesNotWrapComeWhole) {
    HostedEditor editor(300, 200, false);
    const std::string ascii(10000, 'x'), longest(70000, 'y');
    std::string wide;
    for (int i = 0; i < 3000; ++i) wide += "\x82\xa0";
    SetTextAndPump(editor->Handle(), ascii + "\r\n" + wide + "\r\n" + longest + "\r\nz\r\n" + wide + "a");
    EXPECT_EQ(editor->Lines.LineAt(0), ascii);
    EXPECT_EQ(editor->Lines.LineAt(1), wide);
    EXPECT_EQ(editor->Lines.LineAt(2), longest);
    EXPECT_EQ(editor->Lines.LineAt(3), "z");
    EXPECT_EQ(editor->Lines.LineAt(4), wide + "a"); // the last row, up to the text's end
}

TEST_F(RichEditTest, AddLine) {
    editor_->Lines.AddLine("1");
    EXPECT_EQ(editor_->Text(), "1\r\n");
    editor_->Lines.AddLine("2");
    EXPECT_EQ(editor_->Text(), "1\r\n2\r\n");
    EXPECT_EQ(editor_->Lines.LineCount(), 2);

    SetText("a");
    editor_->Lines.AddLine("1");
    EXPECT_EQ(editor_->Text(), "a\r\n1");

    SetText("日本");
    editor_->Lines.AddLine("語");
    EXPECT_EQ(editor_->Text(), "日本\r\n語");
}

TEST_F(RichEditTest, AddLineAtTheTextLimitFails) {
    editor_->SetTextLimit(10);
    SetText("0123456789");
    // The control takes a replacement past its limit on some platforms and refuses it on
    // others; when it refuses, the line is reported as not inserted.
    try {
        editor_->Lines.AddLine("x");
        EXPECT_EQ(editor_->Text(), "0123456789\r\nx");
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "RichEdit での行の挿入エラー");
    }
}

TEST_F(RichEditTest, PositionsAreBytesOfShiftJisText) {
    SetText("あいう\r\nabc");
    EXPECT_EQ(editor_->TextLength(), 11);
    editor_->SetSelectionStart(8);
    EXPECT_EQ(editor_->SelectionStart(), 8);
    EXPECT_EQ(CaretLine(editor_->Handle()), 1);
    editor_->SetSelectionLength(3);
    EXPECT_EQ(editor_->SelectionLength(), 3);
    editor_->SetSelectionStart(2);
    editor_->SetSelectionLength(4);
    EXPECT_EQ(editor_->SelectionStart(), 2);
    EXPECT_EQ(editor_->SelectionLength(), 4);
    editor_->ReplaceSelection("X");
    EXPECT_EQ(editor_->Text(), "あX\r\nabc");
    EXPECT_EQ(editor_->SelectionStart(), 3);

    // The messages reach the control as they were sent, double-byte text and all: nothing
    // between the program and the control converts them.
    SetText("日本\r\n語");
    EXPECT_EQ(editor_->Text(), "日本\r\n語");
    EXPECT_EQ(editor_->TextLength(), 8);
    char raw[16]{};
    EXPECT_EQ(::SendMessageA(Wnd(), WM_GETTEXT, sizeof raw, reinterpret_cast<LPARAM>(raw)), 8);
    EXPECT_STREQ(raw, "日本\r\n語");
    const auto found = editor_->FindFrom("語", editor_->NativeFromByte(0));
    ASSERT_TRUE(found);
    editor_->SelectSpan(*found);
    EXPECT_EQ(editor_->SelectionStart(), 6);
    EXPECT_EQ(editor_->SelectionLength(), 2);
}

TEST_F(RichEditTest, SelectAllCoversExactlyTheText) {
    SetText("漢字\r\nかな\r\n");
    editor_->SelectWholeText();
    EXPECT_EQ(editor_->SelectionStart(), 0);
    EXPECT_EQ(editor_->SelectionLength(), 12);
}

TEST_F(RichEditTest, WritingTheSameColourSendsNothing) {
    MessageCounter counter(Wnd(), EM_SETBKGNDCOLOR);
    editor_->SetColor(clWindow);
    EXPECT_EQ(counter.count, 0);
    editor_->SetColor(RGBColor(0, 128, 0));
    EXPECT_EQ(counter.count, 1);
    editor_->SetColor(RGBColor(0, 128, 0));
    EXPECT_EQ(counter.count, 1);
    EXPECT_EQ(editor_->Color(), RGBColor(0, 128, 0));
}

TEST_F(RichEditTest, TextColourAtTheCaretColoursOnlyWhatIsTypedNext) {
    SetText("abc");
    editor_->SetSelectionStart(3);
    editor_->SelectionFormat.TextColor(RGBColor(255, 0, 0));
    TypeText(Wnd(), "x");
    EXPECT_EQ(editor_->Text(), "abcx");
    const auto before = FormatAt(*editor_, 2);
    EXPECT_TRUE(before.dwEffects & CFE_AUTOCOLOR);
    const auto typed = FormatAt(*editor_, 3);
    EXPECT_FALSE(typed.dwEffects & CFE_AUTOCOLOR);
    EXPECT_EQ(typed.crTextColor, RGB(255, 0, 0));
}

TEST_F(RichEditTest, TextColourOfTheWindowTextIsAutomatic) {
    SetText("abc");
    editor_->SetSelectionStart(0);
    editor_->SetSelectionLength(3);
    editor_->SelectionFormat.TextColor(RGBColor(0, 0, 255));
    EXPECT_EQ(FormatAt(*editor_, 1).crTextColor, RGB(0, 0, 255));
    editor_->SetSelectionStart(0);
    editor_->SetSelectionLength(3);
    editor_->SelectionFormat.TextColor(clWindowText);
    EXPECT_TRUE(FormatAt(*editor_, 1).dwEffects & CFE_AUTOCOLOR);
}

TEST_F(RichEditTest, AssignFontSetsFaceSizeAndStyle) {
    SetText("abc");
    editor_->SetSelectionStart(0);
    editor_->SetSelectionLength(3);
    TFont font = WindowFont();
    font.height = -16; // 12 points at 96 dpi
    font.bold = true;
    font.underline = true;
    editor_->SelectionFormat.AssignFont(font);
    const auto f = FormatAt(*editor_, 1);
    EXPECT_STREQ(f.szFaceName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(f.yHeight, 240);
    EXPECT_TRUE(f.dwEffects & CFE_BOLD);
    EXPECT_TRUE(f.dwEffects & CFE_UNDERLINE);
    EXPECT_FALSE(f.dwEffects & CFE_ITALIC);
    EXPECT_EQ(f.bCharSet, SHIFTJIS_CHARSET);
}

TEST_F(RichEditTest, DefaultFormatIsTheWindowFont) {
    TypeText(Wnd(), "a");
    const auto f = FormatAt(*editor_, 0);
    EXPECT_STREQ(f.szFaceName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(f.yHeight, 180);
}

TEST_F(RichEditTest, KeyPressComesBeforeTheCharacterAndCanChangeOrCancelIt) {
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

TEST_F(RichEditTest, BackspaceRaisesOneKeyPressBeforeItDeletes) {
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
TEST_F(RichEditTest, EnterStaysALineBreakAfterTheDialogCodeWasAsked) {
    SetText("a");
    editor_->SetSelectionStart(1);
    MSG asked{Wnd(), WM_KEYDOWN, VK_LEFT, 1, 0, {}};
    ::SendMessageA(Wnd(), WM_GETDLGCODE, VK_LEFT, reinterpret_cast<LPARAM>(&asked));
    ::SendMessageA(Wnd(), WM_KEYDOWN, VK_RETURN, 1);
    TypeText(Wnd(), "\rb");
    EXPECT_EQ(editor_->Text(), "a\r\nb");
}

TEST_F(RichEditTest, AHalfTypedCharacterIsDroppedWhenTheFocusLeaves) {
    ::SetFocus(Wnd());
    TypeText(Wnd(), std::string(1, '\x93')); // the lead byte of 日
    ::SetFocus(editor_.host.get());
    ::SetFocus(Wnd());
    TypeText(Wnd(), "A");
    EXPECT_EQ(editor_->Text(), "A");
}

TEST_F(RichEditTest, DoubleByteCharactersTypedAsTwoMessagesArriveWhole) {
    int raised = 0;
    editor_->OnKeyPress = [&](char&) { ++raised; };
    TypeText(Wnd(), "日本語");
    EXPECT_EQ(editor_->Text(), "日本語");
    EXPECT_EQ(raised, 6);
    ::SendMessageA(Wnd(), WM_UNDO, 0, 0);
    EXPECT_NE(editor_->Text(), "日本語"); // typing stays undoable
}

TEST_F(RichEditTest, MouseDownComesAfterTheCaretMoved) {
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

TEST_F(RichEditTest, MouseMoveReportsSignedClientCoordinates) {
    int gotX = 0, gotY = 0;
    editor_->OnMouseMove = [&](unsigned, int x, int y) {
        gotX = x;
        gotY = y;
    };
    ::SendMessageA(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, -7));
    EXPECT_EQ(gotX, -5);
    EXPECT_EQ(gotY, -7);
}

// A short text is emptied in place; a long one goes with its window and an empty twin takes
// its place. Either way the user finds the same empty editor: background, text limit,
// place, identifier, focus and events as before.
TEST_F(RichEditTest, ClearAllEmptiesButKeepsTheBackground) {
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

TEST_F(RichEditTest, FocusOnAHiddenControlFails) {
    ::ShowWindow(Wnd(), SW_HIDE);
    try {
        editor_->Focus();
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "無効/非表示ウィンドウにはフォーカスを設定できません");
    }
    ::ShowWindow(Wnd(), SW_SHOW);
    editor_->Focus();
    EXPECT_EQ(::GetFocus(), Wnd());
}

TEST_F(RichEditTest, ErrorInAnEventHandlerStopsTheMessageAndReachesTheErrorBox) {
    editor_->OnKeyPress = [](char&) { throw EConvertError("'x' は整数ではありません"); };
    BoxWatcher box({BoxWatcher::ErrorBox()});
    TypeText(Wnd(), "a");
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"'x' は整数ではありません."});
    EXPECT_EQ(editor_->Text(), "");
}

// Wine's control lets Right and Down take the caret past the text's end, into the final
// paragraph mark that is not part of the text; Enter there brings the control down.
TEST_F(RichEditTest, NavigationKeysKeepTheCaretInsideTheText) {
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
TEST_F(RichEditTest, ArrowsStepOverALineBreakWhole) {
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
TEST_F(RichEditTest, PasteWaitsForABusyClipboardAndOtherwiseDoesNothing) {
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
TEST_F(RichEditTest, PastedLinesAreCountedAsTheyAre) {
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

// While the whole content is read in, the pointer is the wait cursor; afterwards, with no
// window of the program under the pointer, it is the cursor from before, whether the read
// succeeded or failed. A source that failed (here in the middle of a control word, after
// which Wine's reader asks again) is asked no more.
TEST_F(RichEditTest, ReplacingTheContentShowsTheWaitCursorUntilItEndsEvenInFailure) {
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
TEST_F(RichEditTest, ALargeDocumentReadsAsTheControlAloneReadsIt) {
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
