// New, Open, Save and Exit through the main window: the real dialogs' and boxes' answers,
// answered by the test, reach the document's steps (DocumentFile pins them), real files are
// read and written, and the window's caption, editor and gutter follow.
#include <windows.h>
#include <gtest/gtest.h>

#include "app/form1.h"
#include "document/document_file.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

using W = BoxWatcher;

class FileCommandsTest : public ::testing::Test {
  protected:
    static bool QuitPosted() {
        MSG msg;
        return ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }
    void Type(const std::string& text) { TypeText(form_->RichEdit1->Handle(), text); }
    void OpenFile(const std::string& path) {
        W answer({W::Dialog(W::ChooseFile(path))});
        form_->ToolButton2Click();
        ASSERT_EQ(answer.Seen().size(), 1u);
    }

    TempFolder dir_;
    ShownForm1 form_;
};

} // namespace

TEST_F(FileCommandsTest, OpenReadsThePlainTextAndTiesTheDocumentToTheFile) {
    const std::string path = dir_.Path("memo.txt");
    ASSERT_TRUE(WriteFileBytes(path, "一行目\n二行目\rthree\r\n"));
    OpenFile(path);
    EXPECT_EQ(form_->RichEdit1->Text(), "一行目\r\n二行目\r\nthree\r\n");
    EXPECT_EQ(form_->Caption(), path);
    EXPECT_EQ(form_->Document->OpenState(), 1);
    EXPECT_EQ(form_->Document->OpenFileName(), path);
    EXPECT_EQ(form_->OpenDialog1->FileName, path);
}

TEST_F(FileCommandsTest, AFailedOpenLeavesDocumentCaptionAndStateAsTheyWere) {
    const std::string good = dir_.Path("good.txt");
    ASSERT_TRUE(WriteFileBytes(good, "good text"));
    OpenFile(good);
    Type("!");
    const std::string missing = dir_.Path("missing.txt");
    W answer({W::Dialog(W::ChooseFile(missing)), W::ErrorBox()});
    form_.ToolButton(2);
    ASSERT_EQ(answer.Seen().size(), 2u);
    EXPECT_EQ(answer.Texts()[1], "ファイル " + missing + " は開けません.");
    EXPECT_EQ(form_->RichEdit1->Text(), "!good text");
    EXPECT_EQ(form_->Caption(), good);
    EXPECT_EQ(form_->Document->OpenState(), 1);
    // A later Save still writes to the file the document came from.
    EXPECT_EQ(form_->Document->OpenFileName(), good);
}

TEST_F(FileCommandsTest, SaveWithoutAFileAsksForANameAndWritesRtfSilently) {
    Type("saved text");
    const std::string path = dir_.Path("out.txt");
    W answer({W::Dialog(W::ChooseFile(path))});
    form_->ToolButton3Click();
    EXPECT_EQ(answer.Seen().size(), 1u); // no notice follows
    EXPECT_EQ(ReadFileBytes(path).rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(form_->Document->SaveFileName(), path);
    EXPECT_EQ(form_->Document->OpenState(), 0);
    EXPECT_EQ(form_->Caption(), "dodir");
    // A second Save asks again, starting from the last name.
    std::string shown;
    W again({W::Dialog([&](HWND dialog) {
        shown = TextOf(FileNameBox(dialog));
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    })});
    form_->ToolButton3Click();
    EXPECT_EQ(again.Seen().size(), 1u);
    EXPECT_NE(shown.find("out.txt"), std::string::npos) << shown;
}

TEST_F(FileCommandsTest, NewEmptiesEditorAndGutterAndUnties) {
    const std::string path = dir_.Path("a.txt");
    ASSERT_TRUE(WriteFileBytes(path, "a\r\nb"));
    OpenFile(path);
    ::SendMessageA(form_->RichEdit1->Handle(), WM_CHAR, 'x', 1); // numbers the gutter
    ASSERT_NE(form_->Gutter->RichEdit2->Text(), "");
    form_->ToolButton1Click();
    EXPECT_EQ(form_->RichEdit1->Text(), "");
    EXPECT_EQ(form_->Gutter->RichEdit2->Text(), "");
    EXPECT_EQ(form_->Caption(), "dodir");
    EXPECT_EQ(form_->Document->OpenState(), 0);
    EXPECT_EQ(form_->Document->OpenFileName(), path); // kept, but no longer used by Save
}

TEST_F(FileCommandsTest, ExitYesToSavingThenCancelThenYesEndsWithoutWriting) {
    Type("draft");
    W answer(
        {W::MessageForm(W::Press(IDYES)), W::Dialog(W::Press(IDCANCEL)), W::MessageForm(W::Press(IDYES))});
    form_->ToolButton13Click();
    ASSERT_EQ(answer.Seen().size(), 3u);
    EXPECT_EQ(answer.Texts()[2], "プログラムを終了しますか？");
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(form_->Document->SaveFileName(), "");
}

TEST_F(FileCommandsTest, ExitAfterOpenOverwritesOnYesAndAsksToQuit) {
    const std::string path = dir_.Path("opened.txt");
    ASSERT_TRUE(WriteFileBytes(path, "text"));
    OpenFile(path);
    W answer(
        {W::MessageForm(W::Press(IDYES)), W::MessageForm(W::Press(IDOK)), W::MessageForm(W::Press(IDNO))});
    form_->ToolButton13Click();
    ASSERT_EQ(answer.Seen().size(), 3u);
    EXPECT_EQ(answer.Texts()[0], "ファイルを上書き？");
    EXPECT_EQ(answer.Texts()[1], "上書きしました。");
    EXPECT_EQ(answer.Texts()[2], "プログラムを終了しますか？");
    EXPECT_EQ(ReadFileBytes(path).rfind("{\\rtf", 0), 0u);
    EXPECT_FALSE(QuitPosted());
    EXPECT_EQ(form_->Document->OpenState(), 1);
}

TEST_F(FileCommandsTest, SavingOntoAnExistingFileThroughTheDialogReplacesItWithoutAQuestion) {
    const std::string path = dir_.Path("existing.rtf");
    ASSERT_TRUE(WriteFileBytes(path, "existing content"));
    Type("new text");
    W answer({W::Dialog(W::ChooseFile(path))}); // and no question to overwrite
    form_->ToolButton3Click();
    EXPECT_EQ(answer.Seen().size(), 1u);
    const std::string written = ReadFileBytes(path);
    EXPECT_EQ(written.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(written.find("new text"), std::string::npos);
}

TEST_F(FileCommandsTest, ExitWhoseSaveFailsDoesNotAskToQuit) {
    const std::string path = dir_.Path("ro.txt");
    ASSERT_TRUE(WriteFileBytes(path, "original"));
    OpenFile(path);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    W answer({W::MessageForm(W::Press(IDYES)), W::ErrorBox()}); // and no question to quit
    form_.ToolButton(13);
    ASSERT_EQ(answer.Seen().size(), 2u);
    EXPECT_EQ(answer.Texts()[1], "ファイル " + path + " を作成できません.");
    EXPECT_FALSE(QuitPosted());
}

TEST_F(FileCommandsTest, EndingTheSessionWithUnsavedTextAsksNothing) {
    Type("unsaved");
    BoxWatcher none;
    EXPECT_TRUE(::SendMessageA(form_->Handle(), WM_QUERYENDSESSION, 0, 0));
    ::SendMessageA(form_->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(TestApplication().Terminated());
    EXPECT_TRUE(none.Seen().empty());
}

// New drops a long document with the editor's window (the control's own emptying would take
// minutes): the form's active control and tab order follow the editor to its new window.
TEST_F(FileCommandsTest, NewOnALongDocumentLeavesTheFormsEditorInPlace) {
    std::string text;
    for (int i = 1; i <= 30000; ++i) text += "line " + std::to_string(i) + "\r\n";
    ::SetWindowTextA(form_->RichEdit1->Handle(), text.c_str());
    form_->RichEdit1->Focus();
    HWND before = form_->RichEdit1->Handle();
    form_->ToolButton1Click();
    HWND editor = form_->RichEdit1->Handle();
    ASSERT_NE(editor, before);
    EXPECT_EQ(form_->RichEdit1->Text(), "");
    EXPECT_EQ(::GetFocus(), editor);
    EXPECT_EQ(form_->ActiveControl(), editor);
    form_->SelectNext(form_->ComboBox2->Handle(), true, true);
    EXPECT_EQ(::GetFocus(), editor);
}
