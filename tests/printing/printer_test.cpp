#include "printing/printer.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>

#include "app/form1.h"
#include "base/errors.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

// The message of the EPrinter a call raises; "" when it raises none.
template <class F> std::string PrinterError(F call) {
    try {
        call();
    } catch (const EPrinter& e) {
        return e.Message();
    }
    return "";
}

// The PDFs the queue writes for this user, and how many pages the newest has.
class PdfFolder {
  public:
    PdfFolder() : dir_(UnixHome() + "\\PDF\\") { RemoveFolderContents(); }
    // Waits for a new PDF and gives its page count as its page tree says (-1 without one),
    // removing it.
    int PagesOfNewPdf() const {
        std::string bytes;
        PumpUntil(
            [&] {
                const auto names = Listing(dir_);
                if (names.empty()) return false;
                bytes = ReadFileBytes(dir_ + names.front());
                return bytes.find("%%EOF") != std::string::npos;
            },
            30000);
        RemoveFolderContents();
        const auto at = bytes.find("/Type /Pages");
        if (at == std::string::npos) return -1;
        const auto count = bytes.find("/Count ", at);
        return count == std::string::npos ? -1 : std::atoi(bytes.c_str() + count + 7);
    }

  private:
    static std::string UnixHome() {
        const char* home = std::getenv("HOME");
        std::string path = std::string("Z:") + (home ? home : "/root");
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    }
    void RemoveFolderContents() const {
        for (const auto& name : Listing(dir_)) ::DeleteFileA((dir_ + name).c_str());
    }
    std::string dir_;
};

} // namespace

TEST(PrinterJob, AJobPrintsItsPagesAndEveryStepChecksTheJobState) {
    TPrinter& printer = Printer();
    ASSERT_EQ(printer.CurrentPrinter().device, "PDF"); // the queue the test command made the default
    EXPECT_GT(printer.PrintableWidth(), 0);
    EXPECT_EQ(PrinterError([&] { printer.NextPage(); }), "プリンタに印刷できる状態ではありません");
    EXPECT_EQ(PrinterError([&] { printer.FinishJob(); }), "プリンタに印刷できる状態ではありません");
    EXPECT_EQ(PrinterError([&] { printer.Canvas().Handle(); }), "プリンタに印刷できる状態ではありません");

    PdfFolder pdfs;
    printer.Canvas().Font = WindowFont();
    printer.Canvas().FontPixelsPerInch = 96;
    printer.StartJob();
    // The 9-point font at the printer's resolution.
    const int ppi = ::GetDeviceCaps(printer.Handle(), LOGPIXELSY);
    HDC dc = printer.Canvas().Handle();
    EXPECT_EQ(printer.Canvas().Font.height, -::MulDiv(9, ppi, 72));
    ::TextOutA(dc, 0, 0, "page 1", 6);
    EXPECT_EQ(PrinterError([&] { printer.StartJob(); }), "現在印刷中です");
    EXPECT_TRUE(printer.Printing()); // the first job goes on
    EXPECT_EQ(PrinterError([&] { printer.SetCopies(2); }), "現在印刷中です");
    printer.NextPage();
    ::TextOutA(printer.Canvas().Handle(), 0, 0, "page 2", 6);
    printer.FinishJob();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(pdfs.PagesOfNewPdf(), 2);
}

TEST(PrinterJob, AJobFinishedAtOnceIsOneBlankPageAndCopiesGoIntoTheNextJob) {
    TPrinter& printer = Printer();
    PdfFolder pdfs;
    printer.StartJob();
    printer.FinishJob();
    EXPECT_EQ(pdfs.PagesOfNewPdf(), 1);

    printer.SetCopies(3);
    EXPECT_EQ(printer.Copies(), 3);
    // A job after the change starts on a new device context; one stopped midway is dropped
    // and leaves the printer ready for the next.
    printer.StartJob();
    printer.AbortJob();
    EXPECT_FALSE(printer.Printing());
    printer.SetCopies(1);
    printer.StartJob();
    printer.FinishJob();
    EXPECT_EQ(pdfs.PagesOfNewPdf(), 1);
}

TEST(PrintDialog, OkKeepsThePrinterAndItsCopiesCancelChangesNothingAndNoRangeIsOffered) {
    ShownForm1 form;
    TPrintDialog& dialog = *form->PrintDialog1;
    bool pagesOffered = true, selectionOffered = true, toFileOffered = true;
    BoxWatcher ok({BoxWatcher::Dialog([&](HWND box) {
        pagesOffered = ::IsWindowEnabled(::GetDlgItem(box, rad3)) != FALSE;
        selectionOffered = ::IsWindowEnabled(::GetDlgItem(box, rad2)) != FALSE;
        toFileOffered = ::IsWindowVisible(::GetDlgItem(box, chx1)) != FALSE;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    })});
    EXPECT_TRUE(dialog.Execute());
    ASSERT_EQ(ok.Seen().size(), 1u);
    EXPECT_FALSE(pagesOffered);
    EXPECT_FALSE(selectionOffered);
    EXPECT_FALSE(toFileOffered);
    EXPECT_EQ(Printer().CurrentPrinter().device, "PDF");
    EXPECT_EQ(dialog.Copies, Printer().Copies()); // a count of 1 keeps the printer's own

    Printer().SetCopies(2);
    BoxWatcher cancel({BoxWatcher::Dialog(BoxWatcher::Press(IDCANCEL))});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(Printer().Copies(), 2);
    Printer().SetCopies(1);
}

TEST(PrintCommand, TheDocumentGoesOutOnlyAfterTheDialogIsConfirmed) {
    ShownForm1 form;
    std::string text;
    for (int k = 1; k <= 300; ++k) text += "行 " + std::to_string(k) + " 日本語\r\n";
    ::SetWindowTextA(form->RichEdit1->Handle(), text.c_str());
    PdfFolder pdfs;
    {
        BoxWatcher cancel({BoxWatcher::Dialog(BoxWatcher::Press(IDCANCEL))});
        form->ToolButton16Click();
        ASSERT_EQ(cancel.Seen().size(), 1u);
    }
    {
        BoxWatcher ok({BoxWatcher::Dialog(BoxWatcher::Press(IDOK))});
        form->ToolButton16Click();
        ASSERT_EQ(ok.Seen().size(), 1u);
    }
    EXPECT_FALSE(Printer().Printing());
    // 300 lines of the 9-point font do not fit one page; only this job wrote a PDF.
    EXPECT_GT(pdfs.PagesOfNewPdf(), 1);
    EXPECT_EQ(Printer().Canvas().Font.height,
              -::MulDiv(9, ::GetDeviceCaps(Printer().Handle(), LOGPIXELSY), 72));
}
