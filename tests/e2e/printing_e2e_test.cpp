// The print command through the real print dialog, on the real PDF queue.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/tool_bar.h"
#include "base/texts.h"
#include "harness.h"
#include "support/pdf_folder.h"

using namespace e2e;
using namespace dodir;

namespace {

// For the life of the object, new processes print the start-up face in VL PGothic, whose
// printed text pdftotext reads back (the usual stand-in's it cannot).
class ReadablePrintedFace {
  public:
    ReadablePrintedFace() {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Fonts\\Replacements", 0, nullptr, 0,
                          KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
        DWORD size = sizeof saved_;
        hadValue_ = ::RegQueryValueExA(key_, kFace, nullptr, nullptr, reinterpret_cast<BYTE*>(saved_),
                                       &size) == ERROR_SUCCESS;
        Set("VL PGothic");
    }
    ReadablePrintedFace(const ReadablePrintedFace&) = delete;
    ReadablePrintedFace& operator=(const ReadablePrintedFace&) = delete;
    ~ReadablePrintedFace() {
        if (hadValue_)
            Set(saved_);
        else
            ::RegDeleteValueA(key_, kFace);
        ::RegCloseKey(key_);
    }

  private:
    static constexpr const char* kFace = "ＭＳ Ｐゴシック";
    void Set(const char* face) {
        ::RegSetValueExA(key_, kFace, 0, REG_SZ, reinterpret_cast<const BYTE*>(face),
                         static_cast<DWORD>(std::strlen(face) + 1));
    }
    HKEY key_ = nullptr;
    bool hadValue_ = false;
    char saved_[256]{};
};

// Sends the hidden print button's command, as a click on it would.
void RequestPrint(const Program& program) {
    ::PostMessageA(program.MainWindow(), WM_COMMAND, MAKEWPARAM(TToolBar::CommandOf(16), BN_CLICKED),
                   reinterpret_cast<LPARAM>(program.Control(idToolBar1)));
}

} // namespace

TEST(PrintingThroughRealInput, EscCancelsTheDialogAndEnterPrintsTheTypedAndPastedText) {
    dodir::testing::PdfFolder pdfs;
    ReadablePrintedFace face;
    Program program;
    Click(program.Control(idRichEdit1), 100, 10);
    TypeText("memo 1");
    PressKey(VK_RETURN);
    PutOnClipboard("日本語のメモ");
    PressKey('V', false, true);
    PressKey(VK_RETURN);
    PressKey(VK_UP);
    PressKey(VK_END);
    TypeText("!");
    PressKey(VK_DOWN);
    TypeText("end");

    RequestPrint(program);
    HWND dialog = program.FindWindowOf("#32770", "印刷");
    ASSERT_NE(dialog, nullptr);
    Activate(dialog);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return Gone(dialog); }));
    EXPECT_FALSE(pdfs.AnyWithin(1500));

    RequestPrint(program);
    dialog = program.FindWindowOf("#32770", "印刷");
    ASSERT_NE(dialog, nullptr);
    Activate(dialog);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return Gone(dialog); }));
    const auto pdf = pdfs.NewPdf();
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_EQ(pdf.lines, (std::vector<std::string>{"memo 1", "日本語のメモ!", "end"}));
}

TEST(PrintingThroughRealInput, AltF4WhileTheJobSpoolsEndsTheProgramCleanly) {
    Program program;
    std::string text;
    for (int k = 0; k < 3000; ++k) text += "line " + std::to_string(k) + " 日本語\r\n";
    PutOnClipboard(text);
    Click(program.Control(idRichEdit1), 100, 10);
    PressKey('V', false, true);
    RequestPrint(program);
    HWND dialog = program.FindWindowOf("#32770", "印刷");
    ASSERT_NE(dialog, nullptr);
    Activate(dialog);
    PressKey(VK_RETURN);
    PressKey(VK_F4, false, false, true);      // reaches the program while its first pages spool
    EXPECT_EQ(program.WaitForExit(60000), 0); // with the job finished or dropped
}

// Run with CUPS_SERVER naming no scheduler (the test command does), which the program
// inherits: it sees no printer at all.
TEST(NoPrinterThroughRealInput, ThePrintCommandEndsWithTheErrorBox) {
    const char* server = std::getenv("CUPS_SERVER");
    if (!server || std::string(server) != "/nonexistent.sock")
        GTEST_SKIP() << "needs CUPS_SERVER=/nonexistent.sock";
    Program program;
    RequestPrint(program);
    HWND box = program.FindWindowOf("#32770", "ミルテ");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), ErrorBoxText("デフォルト プリンタが存在しません"));
    Activate(box);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return Gone(box); }));
    EXPECT_EQ(program.FindWindowOf("#32770", "印刷", 500), nullptr);
}
