// The real program at 144 dpi (the test command gives this suite a prefix of its own),
// used as at any resolution: typed into, a colour chosen, the find dialog opened and closed,
// a message box answered; then told of a new resolution (Wine passes the message's rectangle
// as it is, so it is written into the program's memory), laid out for 96 dpi, and used there.
#include <windows.h>
#include <gtest/gtest.h>

#include <tuple>

#include "app/control_ids.h"
#include "harness.h"

using namespace e2e;
using namespace dodir;

TEST(HighDpiThroughRealInput, TypingColoursFindingAndABoxAtOneAndAHalfTimesTheSize) {
    Program program;
    HWND main = program.MainWindow();
    RECT client{};
    ::GetClientRect(main, &client);
    ASSERT_EQ(client.right, 1032) << "the suite runs in a prefix set to 144 dpi";
    EXPECT_EQ(client.bottom, 690);

    HWND editor = program.Control(idRichEdit1);
    HWND bar = program.Control(idStatusBar1);
    Click(editor, 300, 200);
    TypeText("abc");
    PressKey(VK_RETURN);
    TypeText("de");
    PressKey(VK_LEFT);
    PressKey(VK_BACK);
    ASSERT_TRUE(WaitFor([&] { return TextOf(editor) == "abc\r\ne"; })) << TextOf(editor);
    EXPECT_TRUE(WaitFor([&] { return StatusPanelText(bar, TStatusPanel::Caret) == " 行：2"; }));

    ClickMiddle(program.Control(idComboBox1));
    HWND list = program.FindWindowOf("ComboLBox");
    ASSERT_NE(list, nullptr) << "the list did not drop down";
    const auto rowHeight = static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_GE(rowHeight, 18);                       // rows fit the larger font
    Click(list, 20, 4 * rowHeight + rowHeight / 2); // row 4: 緑
    EXPECT_TRUE(WaitFor([&] { return PixelAt(editor, 600, 400) == RGB(0, 128, 0); }));
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Background), "背景色R:0 G:128 B:0");

    ClickToolButton(program.Control(idToolBar1), 7); // Find
    HWND find = program.FindWindowOf("#32770");
    ASSERT_NE(find, nullptr);
    Activate(find);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return Gone(find); }));

    // A value out of range: the box says so and Enter answers it.
    ClearField(program.Control(idEdit1));
    TypeText("300");
    ClickMiddle(program.Control(idButton1));
    HWND box = program.FindWindowOf("TMessageForm", "ミルテ");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "Rに0～255の整数を入力してください。");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return Gone(box); }));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(main) != FALSE; }));

    RECT suggested{50, 40, 750, 540};
    ASSERT_TRUE(SendWithRemoteBuffer(main, WM_DPICHANGED, MAKEWPARAM(96, 96), &suggested, sizeof suggested));
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right, 688);
    EXPECT_EQ(client.bottom, 460);
    RECT frame{}, at{};
    ::GetWindowRect(main, &frame);
    ::GetWindowRect(editor, &at);
    EXPECT_EQ(std::tuple(frame.left, frame.top), std::tuple(50, 40));
    EXPECT_EQ(at.left - ClientRectOnScreen(main).left, 32);
    EXPECT_EQ(TextOf(editor), "abc\r\ne");

    // At the new resolution as at the old: typed into, and a colour chosen with the mouse.
    Click(editor, 200, 150);
    PressKey(VK_END);
    TypeText("f");
    EXPECT_TRUE(WaitFor([&] { return TextOf(editor) == "abc\r\nef"; })) << TextOf(editor);
    ClickMiddle(program.Control(idComboBox1));
    list = program.FindWindowOf("ComboLBox");
    ASSERT_NE(list, nullptr) << "the list did not drop down";
    RECT row{}; // row 6: 紫, where the list itself puts it
    ASSERT_NE(::SendMessageA(list, LB_GETITEMRECT, 6, reinterpret_cast<LPARAM>(&row)), LB_ERR);
    EXPECT_LT(row.bottom - row.top, rowHeight); // rows fit the smaller font
    Click(list, 20, (row.top + row.bottom) / 2);
    EXPECT_TRUE(WaitFor([&] { return PixelAt(editor, 400, 250) == RGB(128, 0, 128); }));
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Background), "背景色R:128 G:0 B:128");
}
