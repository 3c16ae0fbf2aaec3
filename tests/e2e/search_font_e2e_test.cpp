// Find, replace and fonts through the real dialogs, with real keys and clicks.
#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <utility>

#include "app/control_ids.h"
#include "harness.h"

using namespace e2e;
using namespace dodir;

namespace {
constexpr int kFont = 14, kFind = 7, kReplace = 12;

// The editor's selection as start and end (small texts only: the answer is packed).
std::pair<int, int> Selection(HWND editor) {
    const auto packed = static_cast<DWORD>(::SendMessageA(editor, EM_GETSEL, 0, 0));
    return {LOWORD(packed), HIWORD(packed)};
}

// Clicks a button of a dialog of the program with the mouse.
void ClickButton(HWND dialog, int id) {
    HWND button = ::GetDlgItem(dialog, id);
    RECT r{};
    ::GetClientRect(button, &r);
    Click(button, r.right / 2, r.bottom / 2);
}

// Waits for the not-found box of a text and answers it with Enter.
void AnswerNotFound(const Program& program, const std::string& text) {
    HWND box = program.FindWindowOf("TMessageForm");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "検索領域に\"" + text + "\"は見つかりませんでした。");
    EXPECT_EQ(TextOf(box), "エラー");
    Activate(box);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return Gone(box); }));
}
} // namespace

TEST(SearchThroughRealInput, FindNextWithTheMouseAndEnterThenNotFound) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    Click(editor, 100, 10);
    TypeText("one two one two");
    ClickToolButton(program.Control(idToolBar1), kFind);
    HWND dialog = program.FindWindowOf("#32770");
    ASSERT_NE(dialog, nullptr);
    TypeText("two");
    ClickButton(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return Selection(editor) == std::pair(4, 7); }));
    EXPECT_EQ(FocusOf(editor), editor); // the match has the focus; the dialog stays open
    EXPECT_TRUE(::IsWindowVisible(dialog));

    Activate(dialog);
    PressKey(VK_RETURN); // Find Next is the default button
    ASSERT_TRUE(WaitFor([&] { return Selection(editor) == std::pair(12, 15); }));
    Activate(dialog);
    PressKey(VK_RETURN); // past the last one: no wrap-around
    AnswerNotFound(program, "two");
    EXPECT_EQ(Selection(editor), std::pair(12, 15));
    EXPECT_EQ(TextOf(editor), "one two one two");
}

TEST(SearchThroughRealInput, ReplaceAndReplaceAllEachChangeTheFirstOccurrence) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    Click(editor, 100, 10);
    TypeText("one two one two");
    ClickToolButton(program.Control(idToolBar1), kReplace);
    HWND dialog = program.FindWindowOf("#32770");
    ASSERT_NE(dialog, nullptr);
    Activate(dialog);
    TypeText("one");
    PressKey(VK_TAB); // to the replacement
    TypeText("1");
    ClickButton(dialog, psh1); // Replace
    ASSERT_TRUE(WaitFor([&] { return TextOf(editor) == "1 two one two"; })) << TextOf(editor);
    ClickButton(dialog, psh2); // Replace All: one more, not all
    ASSERT_TRUE(WaitFor([&] { return TextOf(editor) == "1 two 1 two"; })) << TextOf(editor);
    ClickButton(dialog, psh2);
    AnswerNotFound(program, "one");
    EXPECT_EQ(TextOf(editor), "1 two 1 two");
}

TEST(FontsThroughRealInput, ApplyClickedGivesTheSelectionTheStyleChosen) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    Click(editor, 100, 10);
    TypeText("plain bold");
    PressKey(VK_LEFT, true);
    PressKey(VK_LEFT, true);
    PressKey(VK_LEFT, true);
    PressKey(VK_LEFT, true); // "bold" selected
    ClickToolButton(program.Control(idToolBar1), kFont);
    HWND dialog = program.FindWindowOf("#32770");
    ASSERT_NE(dialog, nullptr);
    Activate(dialog);
    ::SetForegroundWindow(dialog);
    PressKey(VK_TAB); // from the face list to the style list
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);         // regular, italic, bold
    ClickButton(dialog, psh3); // Apply
    ::Sleep(300);
    PressKey(VK_ESCAPE); // Cancel applies nothing more
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));

    CHARFORMATA f{};
    f.cbSize = sizeof f;
    ASSERT_TRUE(SendWithRemoteBuffer(editor, EM_GETCHARFORMAT, SCF_SELECTION, &f, sizeof f));
    EXPECT_TRUE((f.dwMask & CFM_BOLD) && (f.dwEffects & CFE_BOLD)) << std::hex << f.dwEffects;
    ::SendMessageA(editor, EM_SETSEL, 0, 5);
    f = CHARFORMATA{};
    f.cbSize = sizeof f;
    ASSERT_TRUE(SendWithRemoteBuffer(editor, EM_GETCHARFORMAT, SCF_SELECTION, &f, sizeof f));
    EXPECT_FALSE(f.dwEffects & CFE_BOLD); // the rest is unchanged
}
