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
void ClickButton(HWND dialog, int id) { ClickMiddle(::GetDlgItem(dialog, id)); }

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
// Types a text into the editor and opens a dialog from the toolbar; gives the dialog.
HWND TypeAndOpen(const Program& program, const char* text, int button) {
    Click(program.Control(idRichEdit1), 100, 10);
    TypeText(text);
    ClickToolButton(program.Control(idToolBar1), button);
    HWND dialog = program.FindWindowOf("#32770");
    if (dialog) Activate(dialog);
    return dialog;
}
} // namespace

TEST(SearchThroughRealInput, FindNextWithTheMouseAndEnterThenNotFound) {
    Program program;
    HWND editor = program.Control(idRichEdit1);
    HWND dialog = TypeAndOpen(program, "one two one two", kFind);
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
    HWND dialog = TypeAndOpen(program, "one two one two", kReplace);
    ASSERT_NE(dialog, nullptr);
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
    for (int k = 0; k < 4; ++k) PressKey(VK_LEFT, true); // "bold" selected
    ClickToolButton(program.Control(idToolBar1), kFont);
    HWND dialog = program.FindWindowOf("#32770");
    ASSERT_NE(dialog, nullptr);
    Activate(dialog);
    PressKey(VK_TAB); // from the face list to the style list
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);         // regular, italic, bold
    ClickButton(dialog, psh3); // Apply
    ::Sleep(300);
    PressKey(VK_ESCAPE); // Cancel applies nothing more
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    auto effects = [&](int from, int to) {
        ::SendMessageA(editor, EM_SETSEL, from, to);
        CHARFORMATA f{};
        f.cbSize = sizeof f;
        EXPECT_TRUE(SendWithRemoteBuffer(editor, EM_GETCHARFORMAT, SCF_SELECTION, &f, sizeof f));
        return f.dwEffects;
    };
    EXPECT_TRUE(effects(6, 10) & CFE_BOLD);
    EXPECT_FALSE(effects(0, 5) & CFE_BOLD); // the rest is unchanged
}
