#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "harness.h"

using namespace e2e;
using namespace dodir;

namespace {

// ToolButtonN numbers of the commands used here.
constexpr int kCopy = 9, kPaste = 10, kSelectAll = 11, kAbout = 17;

} // namespace

TEST(GutterThroughRealInput, TypingAndClickingRefreshThePanelAndTheGutter) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    HWND gutter = program.Control(idRichEdit2);
    HWND bar = program.Control(idStatusBar1);
    Click(editor, 100, 5);
    TypeText("one");
    PressKey(VK_RETURN);
    TypeText("two");
    PressKey(VK_RETURN);
    TypeText("three");
    ASSERT_TRUE(WaitFor([&] { return TextOf(editor) == "one\r\ntwo\r\nthree"; })) << TextOf(editor);
    // The last key was counted before it was applied: the caret was on line 3 already.
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Caret), " 行：3");
    EXPECT_EQ(TextOf(gutter), "1\r\n2\r\n3\r\n4\r\n");
    Click(editor, 100, 3);
    EXPECT_TRUE(WaitFor([&] { return StatusPanelText(bar, TStatusPanel::Caret) == " 行：1"; }))
        << StatusPanelText(bar, TStatusPanel::Caret);
    PressKey(VK_DOWN); // moves the caret without a refresh
    ::Sleep(200);
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Caret), " 行：1");
}

TEST(ToolBarThroughRealInput, CopyAndPasteWorkOnTheEditorWithTheFocusInEdit1) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    HWND toolbar = program.Control(idToolBar1);
    Click(editor, 100, 5);
    TypeText("memo text");
    ASSERT_TRUE(WaitFor([&] { return TextOf(editor) == "memo text"; }));
    Click(program.Control(idEdit1), 10, 10);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(program.MainWindow()) == program.Control(idEdit1); }));
    ClickToolButton(toolbar, kSelectAll);
    ClickToolButton(toolbar, kCopy);
    EXPECT_TRUE(WaitFor([] { return ClipboardText() == "memo text"; })) << ClipboardText();
    ClickToolButton(toolbar, kPaste); // replaces the selection by the same text
    ClickToolButton(toolbar, kPaste);
    EXPECT_TRUE(WaitFor([&] { return TextOf(editor) == "memo textmemo text"; })) << TextOf(editor);
    EXPECT_EQ(FocusOf(program.MainWindow()), program.Control(idEdit1)); // buttons take no focus
    EXPECT_EQ(TextOf(program.Control(idEdit1)), "255");
}

TEST(AboutThroughRealInput, ShownCentredMovedHiddenAndShownWhereItWasLeft) {
    Program program;
    HWND toolbar = program.Control(idToolBar1);
    ClickToolButton(toolbar, kAbout);
    HWND box = program.FindWindowOf("TAboutBox", "バージョン情報");
    ASSERT_NE(box, nullptr);
    RECT r{};
    ::GetWindowRect(box, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    if (const char* shot = std::getenv("DODIR_ABOUT_SCREENSHOT")) {
        ::Sleep(300);
        EXPECT_TRUE(SaveScreenshot(box, shot));
    }
    ::SetWindowPos(box, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PressKey(VK_ESCAPE); // no cancel button: stays
    ::Sleep(200);
    EXPECT_TRUE(::IsWindowVisible(box));
    PressKey(VK_RETURN); // presses OK
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(box); }));
    ClickToolButton(toolbar, kAbout);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(box) != FALSE; }));
    ::GetWindowRect(box, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    // The title bar's close button hides it as well; the window lives on.
    RECT client = ClientRectOnScreen(box);
    ::PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(client.right - 5, r.top + 5));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(box); }));
    EXPECT_TRUE(::IsWindow(box));
}
