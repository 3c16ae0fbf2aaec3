// New, Open, Save and Exit with real files, real dialogs and real boxes, answered by the test.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "app/form1.h"
#include "document/document_file.h"
#include "wine_support.h"

using namespace dodir;
using dodir::testing::DialogAnswerer;
using dodir::testing::Pump;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class FileCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH]{};
        ::GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "dodir_cmd_" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(dir_.c_str(), nullptr);
        form_ = std::make_unique<TForm1>(Application());
        ::ShowWindow(form_->Handle(), SW_SHOWNORMAL);
        Pump();
    }
    void TearDown() override {
        form_.reset();
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA((dir_ + "*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                ::SetFileAttributesA((dir_ + fd.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA((dir_ + fd.cFileName).c_str());
            } while (::FindNextFileA(h, &fd));
            ::FindClose(h);
        }
        ::RemoveDirectoryA(dir_.c_str());
    }
    static bool QuitPosted() {
        MSG msg;
        return ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }
    void Type(const std::string& text) {
        for (char c : text)
            ::SendMessageA(form_->RichEdit1->Handle(), WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    void OpenFile(const std::string& path) {
        DialogAnswerer answer({{"#32770", DialogAnswerer::ChooseFile(path)}});
        form_->ToolButton2Click();
        ASSERT_EQ(answer.Finish(), 1);
    }

    std::string dir_;
    std::unique_ptr<TForm1> form_;
};

} // namespace

TEST_F(FileCommandsTest, OpenReadsThePlainTextAndTiesTheDocumentToTheFile) {
    const std::string path = dir_ + "memo.txt";
    WriteFile(path, "一行目\n二行目\rthree\r\n");
    OpenFile(path);
    EXPECT_EQ(form_->RichEdit1->Text(), "一行目\r\n二行目\r\nthree\r\n");
    EXPECT_EQ(form_->Caption(), path);
    EXPECT_EQ(form_->Document->OpenState(), 1);
    EXPECT_EQ(form_->Document->OpenFileName(), path);
    EXPECT_EQ(form_->OpenDialog1->FileName, path);
}

TEST_F(FileCommandsTest, CancelledOpenChangesNothing) {
    Type("keep");
    DialogAnswerer answer({{"#32770", DialogAnswerer::Press(IDCANCEL)}});
    form_->ToolButton2Click();
    EXPECT_EQ(answer.Finish(), 1);
    EXPECT_EQ(form_->RichEdit1->Text(), "keep");
    EXPECT_EQ(form_->Caption(), "dodir");
    EXPECT_EQ(form_->Document->OpenState(), 0);
}

TEST_F(FileCommandsTest, AFailedOpenLeavesDocumentCaptionAndStateAsTheyWere) {
    const std::string good = dir_ + "good.txt";
    WriteFile(good, "good text");
    OpenFile(good);
    Type("!");
    const std::string missing = dir_ + "missing.txt";
    DialogAnswerer answer(
        {{"#32770", DialogAnswerer::ChooseFile(missing)}, {"#32770", DialogAnswerer::Press(IDOK)}});
    ::SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(TToolBar::CommandOf(2), BN_CLICKED),
                   reinterpret_cast<LPARAM>(form_->ToolBar1->Handle()));
    ASSERT_EQ(answer.Finish(), 2);
    EXPECT_EQ(answer.texts[1], "ファイル " + missing + " は開けません.");
    EXPECT_EQ(form_->RichEdit1->Text(), "!good text");
    EXPECT_EQ(form_->Caption(), good);
    EXPECT_EQ(form_->Document->OpenState(), 1);
    // A later Save still writes to the file the document came from.
    EXPECT_EQ(form_->Document->OpenFileName(), good);
}

TEST_F(FileCommandsTest, SaveWithoutAFileAsksForANameAndWritesRtfSilently) {
    Type("saved text");
    const std::string path = dir_ + "out.txt";
    DialogAnswerer answer({{"#32770", DialogAnswerer::ChooseFile(path)}});
    form_->ToolButton3Click();
    EXPECT_EQ(answer.Finish(), 1); // no notice follows
    EXPECT_EQ(ReadFile(path).rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(form_->Document->SaveFileName(), path);
    EXPECT_EQ(form_->Document->OpenState(), 0);
    EXPECT_EQ(form_->Caption(), "dodir");
    // A second Save asks again, starting from the last name.
    DialogAnswerer again({{"#32770", [&](HWND dialog) {
                               char name[MAX_PATH]{};
                               HWND box = ::GetDlgItem(dialog, 0x47c);
                               if (!box) box = ::GetDlgItem(dialog, 0x480);
                               ::SendMessageA(box, WM_GETTEXT, sizeof name, reinterpret_cast<LPARAM>(name));
                               EXPECT_NE(std::string(name).find("out.txt"), std::string::npos) << name;
                               ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                           }}});
    form_->ToolButton3Click();
    EXPECT_EQ(again.Finish(), 1);
}

TEST_F(FileCommandsTest, SaveOfAnOpenedFileOverwritesItAndSaysSo) {
    const std::string path = dir_ + "plain.txt";
    WriteFile(path, "plain");
    OpenFile(path);
    Type("new ");
    DialogAnswerer answer({{"TMessageForm", DialogAnswerer::Press(IDOK)}});
    form_->ToolButton3Click();
    ASSERT_EQ(answer.Finish(), 1);
    EXPECT_EQ(answer.texts[0], "上書きしました。");
    const std::string written = ReadFile(path);
    EXPECT_EQ(written.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(written.find("new plain"), std::string::npos);
}

TEST_F(FileCommandsTest, NewEmptiesEditorAndGutterAndUnties) {
    const std::string path = dir_ + "a.txt";
    WriteFile(path, "a\r\nb");
    OpenFile(path);
    ::SendMessageA(form_->RichEdit1->Handle(), WM_CHAR, 'x', 1); // numbers the gutter
    ASSERT_NE(form_->RichEdit2->Text(), "");
    form_->ToolButton1Click();
    EXPECT_EQ(form_->RichEdit1->Text(), "");
    EXPECT_EQ(form_->RichEdit2->Text(), "");
    EXPECT_EQ(form_->Caption(), "dodir");
    EXPECT_EQ(form_->Document->OpenState(), 0);
    EXPECT_EQ(form_->Document->OpenFileName(), path); // kept, but no longer used by Save
}

TEST_F(FileCommandsTest, ExitUnsavedNoAndNoGoesOn) {
    Type("draft");
    DialogAnswerer answer(
        {{"TMessageForm", DialogAnswerer::Press(IDNO)}, {"TMessageForm", DialogAnswerer::Press(IDNO)}});
    form_->ToolButton13Click();
    ASSERT_EQ(answer.Finish(), 2);
    EXPECT_EQ(answer.texts[0], "ファイルを保存しますか？");
    EXPECT_EQ(answer.texts[1], "プログラムを終了しますか？");
    EXPECT_FALSE(QuitPosted());
}

TEST_F(FileCommandsTest, ExitYesToSavingThenCancelThenYesEndsWithoutWriting) {
    Type("draft");
    DialogAnswerer answer({{"TMessageForm", DialogAnswerer::Press(IDYES)},
                           {"#32770", DialogAnswerer::Press(IDCANCEL)},
                           {"TMessageForm", DialogAnswerer::Press(IDYES)}});
    form_->ToolButton13Click();
    ASSERT_EQ(answer.Finish(), 3);
    EXPECT_EQ(answer.texts[2], "プログラムを終了しますか？");
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(form_->Document->SaveFileName(), "");
}

TEST_F(FileCommandsTest, ExitAfterOpenOverwritesOnYesAndAsksToQuit) {
    const std::string path = dir_ + "opened.txt";
    WriteFile(path, "text");
    OpenFile(path);
    DialogAnswerer answer({{"TMessageForm", DialogAnswerer::Press(IDYES)},
                           {"TMessageForm", DialogAnswerer::Press(IDOK)},
                           {"TMessageForm", DialogAnswerer::Press(IDNO)}});
    form_->ToolButton13Click();
    ASSERT_EQ(answer.Finish(), 3);
    EXPECT_EQ(answer.texts[0], "ファイルを上書き？");
    EXPECT_EQ(answer.texts[1], "上書きしました。");
    EXPECT_EQ(answer.texts[2], "プログラムを終了しますか？");
    EXPECT_EQ(ReadFile(path).rfind("{\\rtf", 0), 0u);
    EXPECT_FALSE(QuitPosted());
    EXPECT_EQ(form_->Document->OpenState(), 1);
}

TEST_F(FileCommandsTest, SaveIntoAReadOnlyFileFailsWithoutANotice) {
    const std::string path = dir_ + "ro.txt";
    WriteFile(path, "original");
    OpenFile(path);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    DialogAnswerer answer({{"#32770", DialogAnswerer::Press(IDOK)}});
    ::SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(TToolBar::CommandOf(3), BN_CLICKED),
                   reinterpret_cast<LPARAM>(form_->ToolBar1->Handle()));
    ASSERT_EQ(answer.Finish(), 1); // the error box, and no notice after it
    EXPECT_EQ(answer.texts[0], "ファイル " + path + " を作成できません.");
    EXPECT_EQ(ReadFile(path), "original");
}

TEST_F(FileCommandsTest, SavingOntoAnExistingFileThroughTheDialogReplacesItWithoutAQuestion) {
    const std::string path = dir_ + "existing.rtf";
    WriteFile(path, "existing content");
    Type("new text");
    DialogAnswerer answer(
        {{"#32770", DialogAnswerer::ChooseFile(path)}, {"#32770", DialogAnswerer::Press(IDYES)}});
    form_->ToolButton3Click();
    EXPECT_EQ(answer.Finish(), 1);
    const std::string written = ReadFile(path);
    EXPECT_EQ(written.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(written.find("new text"), std::string::npos);
}

TEST_F(FileCommandsTest, ExitWhoseSaveFailsDoesNotAskToQuit) {
    const std::string path = dir_ + "ro.txt";
    WriteFile(path, "original");
    OpenFile(path);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    DialogAnswerer answer({{"TMessageForm", DialogAnswerer::Press(IDYES)},
                           {"#32770", DialogAnswerer::Press(IDOK)},
                           {"TMessageForm", DialogAnswerer::Press(IDYES)}});
    ::SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(TToolBar::CommandOf(13), BN_CLICKED),
                   reinterpret_cast<LPARAM>(form_->ToolBar1->Handle()));
    ASSERT_EQ(answer.Finish(), 2);
    EXPECT_EQ(answer.texts[1], "ファイル " + path + " を作成できません.");
    EXPECT_FALSE(QuitPosted());
}

TEST_F(FileCommandsTest, EndingTheSessionWithUnsavedTextAsksNothing) {
    Type("unsaved");
    dodir::testing::MessageBoxWatcher box;
    EXPECT_TRUE(::SendMessageA(form_->Handle(), WM_QUERYENDSESSION, 0, 0));
    ::SendMessageA(form_->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(Application().Terminated());
    EXPECT_EQ(box.Text(), "");
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
