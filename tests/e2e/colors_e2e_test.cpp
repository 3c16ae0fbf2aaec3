#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/control_ids.h"
#include "harness.h"

using namespace e2e;
using namespace dodir;

namespace {
// A point of the editor's background, away from the caret and the text.
constexpr int kEditorX = 400, kEditorY = 250;

const std::string kDivider(27, '-');

void Retype(HWND edit, const std::string& text) {
    ClearField(edit);
    TypeText(text);
    WaitFor([&] { return TextOf(edit) == text; }, 2000);
}

HWND VisibleMessageForm(const Program& program, int timeoutMs = 5000) {
    return program.FindWindowOf("TMessageForm", "ミルテ", timeoutMs);
}
} // namespace

TEST(ColoursThroughRealInput, OutOfRangeValuesGiveRedGreenBlueMessagesInOrderAndChangeNothing) {
    Program program;
    HWND main = program.MainWindow();
    HWND bar = program.Control(idStatusBar1);
    HWND editor = program.Control(idRichEdit1);
    Retype(program.Control(idEdit1), "300");
    Retype(program.Control(idEdit2), "-5");
    Retype(program.Control(idEdit3), "999");
    ASSERT_EQ(TextOf(program.Control(idEdit1)), "300");
    ASSERT_EQ(TextOf(program.Control(idEdit2)), "-5");
    ASSERT_EQ(TextOf(program.Control(idEdit3)), "999");
    const COLORREF background = PixelAt(editor, kEditorX, kEditorY);
    ClickMiddle(program.Control(idButton1));

    const char* const expected[] = {
        "Rに0～255の整数を入力してください。",
        "Gに0～255の整数を入力してください。",
        "Bに0～255の整数を入力してください。",
    };
    for (int i = 0; i < 3; ++i) {
        HWND box = VisibleMessageForm(program);
        ASSERT_NE(box, nullptr) << "message " << i;
        EXPECT_EQ(BoxText(box), expected[i]);
        EXPECT_FALSE(::IsWindowEnabled(main)); // the main window takes no input meanwhile
        EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Background), "背景色R:255 G:255 B:255");
        ::Sleep(100);
        if (i == 1) {
            PressKey(VK_RETURN);
        } else {
            HWND ok = ::GetDlgItem(box, IDOK);
            ASSERT_NE(ok, nullptr);
            ClickMiddle(ok);
        }
        ASSERT_TRUE(WaitFor([&] { return Gone(box); })) << "message " << i << " stayed";
    }
    ::Sleep(300);
    EXPECT_EQ(VisibleMessageForm(program, 0), nullptr);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(main) != FALSE; }));
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Background), "背景色R:255 G:255 B:255");
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Text), "文字色R:0 G:0 B:0");
    EXPECT_EQ(PixelAt(editor, kEditorX, kEditorY), background);
    EXPECT_EQ(TextOf(program.Control(idEdit1)), "300");
}

TEST(ColoursThroughRealInput, TextThatIsNoNumberShowsTheErrorBox) {
    Program program;
    HWND bar = program.Control(idStatusBar1);
    Retype(program.Control(idEdit1), "abc");
    Retype(program.Control(idEdit2), "300");
    ASSERT_EQ(TextOf(program.Control(idEdit1)), "abc");
    ClickMiddle(program.Control(idButton1));
    HWND box = program.FindWindowOf("#32770", "ミルテ");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "'abc' は整数ではありません.");
    ::Sleep(100);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return Gone(box); }));
    // The conversion error comes first: no range message for the 300.
    EXPECT_EQ(VisibleMessageForm(program, 500), nullptr);
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Background), "背景色R:255 G:255 B:255");
}

TEST(ColoursThroughRealInput, PickingGreenWithTheMouseColoursTheBackground) {
    Program program;
    HWND bar = program.Control(idStatusBar1);
    HWND editor = program.Control(idRichEdit1);
    ClickMiddle(program.Control(idComboBox1));
    HWND list = program.FindWindowOf("ComboLBox");
    ASSERT_NE(list, nullptr) << "the list did not drop down";
    const auto rowHeight = static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(rowHeight, 0);
    Click(list, 20, 4 * rowHeight + rowHeight / 2); // row 4: 緑
    EXPECT_TRUE(WaitFor([&] {
        return StatusPanelText(bar, TStatusPanel::Background) == "背景色R:0 G:128 B:0";
    })) << StatusPanelText(bar, TStatusPanel::Background);
    EXPECT_EQ(TextOf(program.Control(idComboBox1)), "緑");
    EXPECT_TRUE(WaitFor([&] { return PixelAt(editor, kEditorX, kEditorY) == RGB(0, 128, 0); }))
        << std::hex << PixelAt(editor, kEditorX, kEditorY);
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Text), "文字色R:0 G:0 B:0");
}

TEST(ColoursThroughRealInput, PickingWithTheKeyboardInComboBox2ChangesPanel1) {
    Program program;
    HWND main = program.MainWindow();
    HWND bar = program.Control(idStatusBar1);
    HWND combo = program.Control(idComboBox2);
    Activate(main);
    // From Edit1 the sixth Tab reaches ComboBox2.
    for (int i = 0; i < 6; ++i) PressKey(VK_TAB);
    PressKey(VK_DOWN); // nothing selected -> 黒
    EXPECT_TRUE(WaitFor([&] { return StatusPanelText(bar, TStatusPanel::Text) == "文字色R:0 G:0 B:0"; }));
    EXPECT_EQ(TextOf(combo), "黒");
    for (int i = 0; i < 4; ++i) PressKey(VK_DOWN);
    EXPECT_TRUE(WaitFor([&] { return StatusPanelText(bar, TStatusPanel::Text) == "文字色R:0 G:128 B:0"; }))
        << StatusPanelText(bar, TStatusPanel::Text);
    EXPECT_EQ(TextOf(combo), "緑");
    PressKey(VK_UP);
    EXPECT_TRUE(WaitFor([&] { return StatusPanelText(bar, TStatusPanel::Text) == "文字色R:0 G:0 B:255"; }))
        << StatusPanelText(bar, TStatusPanel::Text);
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Background), "背景色R:255 G:255 B:255");
}

TEST(ColoursThroughRealInput, HexadecimalRedIsAppliedAndEchoedAsTyped) {
    Program program;
    HWND bar = program.Control(idStatusBar1);
    HWND editor = program.Control(idRichEdit1);
    Retype(program.Control(idEdit1), "$FF");
    Retype(program.Control(idEdit2), "0");
    ASSERT_EQ(TextOf(program.Control(idEdit1)), "$FF");
    ClickMiddle(program.Control(idButton1));
    EXPECT_TRUE(WaitFor([&] {
        return StatusPanelText(bar, TStatusPanel::Background) == "  背景色R:$FF G:0 B:255";
    })) << StatusPanelText(bar, TStatusPanel::Background);
    EXPECT_TRUE(WaitFor([&] { return PixelAt(editor, kEditorX, kEditorY) == RGB(255, 0, 255); }))
        << std::hex << PixelAt(editor, kEditorX, kEditorY);

    Retype(program.Control(idEdit2), "255");
    ClickMiddle(program.Control(idButton1));
    EXPECT_TRUE(WaitFor([&] {
        return StatusPanelText(bar, TStatusPanel::Background) == "  背景色R:$FF G:255 B:255";
    })) << StatusPanelText(bar, TStatusPanel::Background);
    EXPECT_TRUE(WaitFor([&] { return PixelAt(editor, kEditorX, kEditorY) == RGB(255, 255, 255); }));
}

TEST(ColoursThroughRealInput, CtrlCCopiesTheMessageBoxAndLeavesItOpen) {
    Program program;
    Retype(program.Control(idEdit3), "256");
    ASSERT_EQ(TextOf(program.Control(idEdit3)), "256");
    ClickMiddle(program.Control(idButton2));
    HWND box = VisibleMessageForm(program);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(PutOnClipboard(""));
    ::Sleep(100);
    if (const char* shot = std::getenv("DODIR_NOTICE_SCREENSHOT")) {
        ::Sleep(300);
        EXPECT_TRUE(SaveScreenshot(box, shot));
    }
    PressKey('C', false, true);
    const std::string expected = kDivider + "\r\nミルテ\r\n" + kDivider +
                                 "\r\nBに0～255の整数を入力してください。\r\n" + kDivider + "\r\nOK   \r\n" +
                                 kDivider + "\r\n";
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == expected; })) << ClipboardText();
    EXPECT_TRUE(::IsWindowVisible(box));
    PressKey(VK_ESCAPE); // Esc presses OK, the cancel button of a notice
    EXPECT_TRUE(WaitFor([&] { return Gone(box); }));
    EXPECT_EQ(StatusPanelText(program.Control(idStatusBar1), TStatusPanel::Text), "文字色R:0 G:0 B:0");
}
