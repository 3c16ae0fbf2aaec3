// Open, Save and Exit through the real dialogs and boxes, with real keys and clicks.
#include <windows.h>
#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "harness.h"

using namespace e2e;
using namespace dodir;

namespace {
// ToolButtonN numbers of the file commands.
constexpr int kNew = 1, kOpen = 2, kSave = 3, kExit = 13;

// Types a path into the focused name box of a file dialog and confirms with Enter.
void TypePathAndEnter(HWND dialog, const std::string& path) {
    Activate(dialog);
    ::Sleep(200);
    TypeText(path);
    PressKey(VK_RETURN);
}
} // namespace

TEST(DocumentsThroughRealInput, OpenTypedIntoTheDialogThenSaveSaysSo) {
    const TempFolder dir;
    const std::string path = dir.Path("memo.txt");
    ASSERT_TRUE(WriteFileBytes(path, "first\nsecond\n"));
    Program program;
    HWND main = program.MainWindow();
    HWND toolbar = program.Control(idToolBar1);
    ClickToolButton(toolbar, kOpen);
    HWND dialog = program.FindWindowOf("#32770");
    ASSERT_NE(dialog, nullptr);
    TypePathAndEnter(dialog, path);
    ASSERT_TRUE(WaitFor([&] { return TextOf(main) == path; })) << TextOf(main);
    EXPECT_EQ(TextOf(program.Control(idRichEdit1)), "first\r\nsecond\r\n");

    Click(program.Control(idRichEdit1), 5, 5);
    PressKey(VK_HOME, false, true);
    TypeText("new ");
    ASSERT_TRUE(WaitFor([&] { return TextOf(program.Control(idRichEdit1)).rfind("new first", 0) == 0; }))
        << TextOf(program.Control(idRichEdit1));
    ClickToolButton(toolbar, kSave);
    HWND notice = program.FindWindowOf("TMessageForm");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(BoxText(notice), "上書きしました。");
    EXPECT_EQ(TextOf(notice), "ミルテ");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return Gone(notice); }));
    const std::string saved = ReadFileBytes(path);
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(saved.find("new"), std::string::npos);
    EXPECT_NE(saved.find("second"), std::string::npos);
    EXPECT_EQ(saved.find("first\nsecond"), std::string::npos); // the plain text was replaced
    EXPECT_EQ(TextOf(main), path);
}

TEST(DocumentsThroughRealInput, SaveOfANewDocumentGoesThroughTheSaveDialog) {
    const TempFolder dir;
    const std::string path = dir.Path("fresh.txt");
    Program program;
    Click(program.Control(idRichEdit1), 5, 5);
    TypeText("fresh words");
    ClickToolButton(program.Control(idToolBar1), kSave);
    HWND dialog = program.FindWindowOf("#32770");
    ASSERT_NE(dialog, nullptr);
    // The name box starts with "*.txt" selected; typing replaces it.
    TypePathAndEnter(dialog, path);
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(path).find("fresh words") != std::string::npos; }));
    EXPECT_EQ(ReadFileBytes(path).rfind("{\\rtf", 0), 0u);
    ::Sleep(300);
    EXPECT_EQ(program.FindWindowOf("TMessageForm", nullptr, 300), nullptr); // no notice
    EXPECT_EQ(TextOf(program.MainWindow()), "dodir");
}

TEST(DocumentsThroughRealInput, ExitAnsweredWithKeysAndTheMouse) {
    Program program;
    Click(program.Control(idRichEdit1), 5, 5);
    TypeText("draft");
    HWND toolbar = program.Control(idToolBar1);
    const auto quitAsked = [&] {
        HWND quit = program.FindWindowOf("TMessageForm", nullptr, 100);
        return quit && BoxText(quit) == "プログラムを終了しますか？";
    };

    // N to saving, Esc to quitting: the program goes on.
    ClickToolButton(toolbar, kExit);
    HWND ask = program.FindWindowOf("TMessageForm");
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(BoxText(ask), "ファイルを保存しますか？");
    EXPECT_EQ(TextOf(ask), "確認");
    PressKey('N');
    ASSERT_TRUE(WaitFor(quitAsked));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return program.FindWindowOf("TMessageForm", nullptr, 100) == nullptr; }));
    EXPECT_EQ(program.WaitForExit(300), -1);

    // The mouse on "いいえ" to saving, Y to quitting: the program ends with code 0.
    ClickToolButton(toolbar, kExit);
    ask = program.FindWindowOf("TMessageForm");
    ASSERT_NE(ask, nullptr);
    HWND no = ::GetDlgItem(ask, IDNO);
    ASSERT_NE(no, nullptr);
    Click(no, 10, 8);
    ASSERT_TRUE(WaitFor(quitAsked));
    PressKey('Y');
    EXPECT_EQ(program.WaitForExit(10000), 0);
}

// A long document opened through the dialog, opened again over itself and emptied with New:
// numbered to its last line, each replacement at once (the editor's window is replaced),
// the focus and typing still in the editor.
TEST(DocumentsThroughRealInput, ALongDocumentOpenedOpenedAgainAndEmptiedWithNew) {
    std::string text;
    for (int i = 1; i <= 30000; ++i) text += "line " + std::to_string(i) + "\r\n";
    const TempFolder dir;
    const std::string path = dir.Path("long.txt");
    ASSERT_TRUE(WriteFileBytes(path, text));
    Program program;
    HWND toolbar = program.Control(idToolBar1);
    HWND bar = program.Control(idStatusBar1);
    // Rows, not text: a reply of the whole text from another process is too large.
    auto rows = [&] { return ::SendMessageA(program.Control(idRichEdit1), EM_GETLINECOUNT, 0, 0); };
    for (int round = 0; round < 2; ++round) {
        ClickToolButton(toolbar, kOpen);
        HWND dialog = program.FindWindowOf("#32770");
        ASSERT_NE(dialog, nullptr);
        TypePathAndEnter(dialog, path);
        ASSERT_TRUE(WaitFor([&] { return TextOf(program.MainWindow()) == path; }, 30000));
        ASSERT_TRUE(WaitFor([&] { return rows() == 30001; }, 30000)) << rows();
        Click(program.Control(idRichEdit1), 100, 5);
        PressKey(VK_END, false, true);
        TypeText("x");
        EXPECT_TRUE(WaitFor([&] { return StatusPanelText(bar, TStatusPanel::Caret) == " 行：30001"; }))
            << StatusPanelText(bar, TStatusPanel::Caret);
    }
    ClickToolButton(toolbar, kNew);
    ASSERT_TRUE(WaitFor([&] { return TextOf(program.Control(idRichEdit1)).empty(); }, 30000));
    TypeText("abc");
    EXPECT_TRUE(WaitFor([&] { return TextOf(program.Control(idRichEdit1)) == "abc"; }));
    EXPECT_EQ(StatusPanelText(bar, TStatusPanel::Caret), " 行：1");
}
