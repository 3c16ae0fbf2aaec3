#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/control_ids.h"
#include "harness.h"

using namespace e2e;
using namespace dodir;

// What the program itself adds to the main window (its controls, places and texts are
// Form1Test's): the application window as owner, and the focus.
TEST(MainWindow, StartsAsDesigned) {
    Program program;
    HWND main = program.MainWindow();
    EXPECT_EQ(TextOf(main), "dodir");

    HWND owner = ::GetWindow(main, GW_OWNER);
    EXPECT_EQ(ClassOf(owner), "TApplication");
    EXPECT_EQ(TextOf(owner), "ミルテ");

    // The focus is in Edit1 with its text selected.
    ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == program.Control(idEdit1); }));
    DWORD from = 0, to = 0;
    ::SendMessageA(program.Control(idEdit1), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                   reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 3u);

    if (const char* shot = std::getenv("DODIR_SCREENSHOT")) {
        // The README's picture: a memo in the editor, numbered by a click into it.
        HWND editor = program.Control(idRichEdit1);
        const std::string memo = "買い物メモ\r\n・牛乳\r\n・卵 10 個\r\n・食パン\r\n\r\n"
                                 "TODO\r\n企画書を金曜日までに仕上げる。\r\n"
                                 "The gutter numbers every line; the status bar shows the caret line.\r\n";
        ::SendMessageA(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(memo.c_str()));
        Click(editor, 120, 60);
        ::Sleep(300);
        EXPECT_TRUE(SaveScreenshot(main, shot));
    }
}

TEST(MainWindow, MouseMoveOverTheEditorShowsInPanel2) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    HWND bar = program.Control(idStatusBar1);
    MoveMouse(editor, 40, 30);
    EXPECT_TRUE(WaitFor([&] { return StatusPanelText(bar, TStatusPanel::Mouse) == "  X:40 Y:30"; }))
        << StatusPanelText(bar, TStatusPanel::Mouse);
    MoveMouse(editor, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return StatusPanelText(bar, TStatusPanel::Mouse) == "  X:0 Y:0"; }))
        << StatusPanelText(bar, TStatusPanel::Mouse);
    // Leaving the editor keeps the last position.
    MoveMouse(program.Control(idRichEdit2), 10, 10);
    ::Sleep(200);
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Mouse), "  X:0 Y:0");
}

TEST(MainWindow, ClosingFromTheTitleBarEndsAtOnceWithCodeZero) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    Click(editor, 50, 50);
    TypeText("unsaved");
    EXPECT_TRUE(WaitFor([&] { return TextOf(editor) == "unsaved"; })) << TextOf(editor);
    Activate(program.MainWindow());
    PressKey(VK_F4, false, false, true);
    EXPECT_EQ(program.WaitForExit(10000), 0);
}

TEST(MainWindow, TabMovesTheFocusThroughRealKeys) {
    Program program;
    HWND main = program.MainWindow();
    Activate(main);
    auto focus = [&] { return FocusOf(main); };
    ASSERT_TRUE(WaitFor([&] { return focus() == program.Control(idEdit1); }));
    PressKey(VK_TAB, true);
    EXPECT_TRUE(WaitFor([&] { return focus() == program.Control(idRichEdit2); }));
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return focus() == program.Control(idEdit1); }));
}

// Enter is a line break in the editor whatever key came before it: each of the four arrows
// (once moving the caret, once at the end where it moves nothing) and Tab into the editor.
TEST(MainWindow, EnterAfterArrowsAndTabIsALineBreak) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    Click(editor, 50, 50);
    TypeText("a");
    PressKey(VK_RETURN);
    TypeText("b");
    struct Step {
        WORD first, second; // second 0: none
        const char* letter;
    };
    const Step steps[] = {
        {VK_LEFT, VK_RIGHT, "c"}, {VK_UP, VK_DOWN, "d"}, {VK_RIGHT, 0, "e"}, {VK_DOWN, 0, "f"}};
    std::string expected = "a\r\nb";
    for (const auto& step : steps) {
        PressKey(step.first);
        if (step.second) PressKey(step.second);
        PressKey(VK_RETURN);
        TypeText(step.letter);
        expected += std::string("\r\n") + step.letter;
    }
    EXPECT_TRUE(WaitFor([&] { return TextOf(editor) == expected; })) << TextOf(editor);
    // From the gutter back into the editor with Shift+Tab.
    Click(program.Control(idRichEdit2), 10, 10);
    PressKey(VK_TAB, true);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(program.MainWindow()) == editor; }));
    PressKey(VK_END, false, true);
    PressKey(VK_RETURN);
    TypeText("g");
    expected += "\r\ng";
    EXPECT_TRUE(WaitFor([&] { return TextOf(editor) == expected; })) << TextOf(editor);
    EXPECT_EQ(StatusPanelText(program.Control(idStatusBar1), TStatusPanel::Caret), " 行：7");

    // In Edit1, Enter changes nothing and raises nothing.
    HWND edit1 = program.Control(idEdit1);
    Click(edit1, 10, 8);
    PressKey(VK_RIGHT);
    PressKey(VK_RETURN);
    ::Sleep(300);
    EXPECT_EQ(TextOf(edit1), "255");
    EXPECT_EQ(FocusOf(program.MainWindow()), edit1);
    EXPECT_EQ(program.FindWindowOf("#32770", nullptr, 200), nullptr);
}

// Left from the start of a line and Right from the end of the line before step over the
// line break: Enter and a character typed after them go in whole, and the program lives on.
TEST(MainWindow, EnterAndTypingAfterAnArrowOverALineBreak) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    Click(editor, 50, 50);
    TypeText("abc");
    PressKey(VK_RETURN);
    TypeText("def");
    PressKey(VK_HOME);
    PressKey(VK_LEFT);
    PressKey(VK_RETURN);
    TypeText("x");
    PressKey(VK_END);
    PressKey(VK_RIGHT);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return TextOf(editor) == "abc\r\nx\r\n\r\ndef"; })) << TextOf(editor);
    EXPECT_EQ(program.WaitForExit(0), -1);
}

TEST(MainWindow, StartedMinimizedItComesBackWhenRestored) {
    Program program(SW_SHOWMINNOACTIVE);
    HWND main = program.MainWindow();
    HWND owner = ::GetWindow(main, GW_OWNER);
    ASSERT_TRUE(WaitFor([&] { return ::IsIconic(owner) && !::IsWindowVisible(main); }));
    ::PostMessageA(owner, WM_SYSCOMMAND, SC_RESTORE, 0); // the taskbar entry's Restore
    ASSERT_TRUE(WaitFor([&] { return !::IsIconic(owner) && ::IsWindowVisible(main); }));
    for (int id : {idEdit1, idEdit2, idEdit3, idButton1, idButton2, idStatusBar1, idComboBox1, idComboBox2,
                   idRichEdit1, idToolBar1, idRichEdit2})
        EXPECT_TRUE(::IsWindowVisible(program.Control(id))) << id;
    RECT frame{};
    ::GetWindowRect(main, &frame);
    EXPECT_EQ(frame.left, 242);
    EXPECT_EQ(frame.top, 202);

    // The taskbar entry's Minimize takes the open find dialog along, and Restore brings it back.
    ClickToolButton(program.Control(idToolBar1), 7);
    HWND find = program.FindWindowOf("#32770");
    ASSERT_NE(find, nullptr);
    ::PostMessageA(owner, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(
        WaitFor([&] { return ::IsIconic(owner) && !::IsWindowVisible(main) && !::IsWindowVisible(find); }));
    ::PostMessageA(owner, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) && ::IsWindowVisible(find); }));
}

// What Explorer's properties show: the product, version and copyright of the About box, and
// the embedded manifest.
TEST(MainWindow, TheProgramDescribesItselfInItsResources) {
    const std::string exe = WindowsPath(std::getenv("DODIR_EXE"));
    DWORD ignored = 0;
    std::string block(::GetFileVersionInfoSizeA(exe.c_str(), &ignored), '\0');
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    auto value = [&](const std::string& name) {
        char* text = nullptr;
        UINT length = 0;
        const std::string path = "\\StringFileInfo\\041104b0\\" + name;
        if (!::VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
            return std::string();
        return std::string(text);
    };
    EXPECT_EQ(value("ProductName"), "Velmiro");
    EXPECT_EQ(value("ProductVersion"), "ひとり立ち(Lv 1)");
    EXPECT_EQ(value("CompanyName"), "ソルカ");
    EXPECT_EQ(value("LegalCopyright"), "Copyright (C) 2026 dodir project");
    HMODULE image = ::LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(::FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)), nullptr);
    ::FreeLibrary(image);
}
