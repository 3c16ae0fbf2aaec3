#include "printing/printer.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form1.h"
#include "printing/print_document.h"
#include "base/errors.h"
#include "support/pdf_folder.h"
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

// A document of numbered Japanese lines in a face whose printed text pdftotext can read.
std::vector<std::string> FillWithLines(TForm1& form, int count) {
    TFont font = form.RichEdit1->Font();
    font.name = "VL PGothic";
    form.RichEdit1->SetFont(font);
    std::vector<std::string> lines;
    std::string text;
    for (int k = 1; k <= count; ++k) {
        lines.push_back("行" + std::to_string(k) + "は日本語のテキスト");
        text += lines.back() + (k < count ? "\r\n" : "");
    }
    ::SetWindowTextA(form.RichEdit1->Handle(), text.c_str());
    return lines;
}

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
    EXPECT_EQ(pdfs.NewPdf().pages, 2);
}

TEST(PrinterJob, AJobFinishedAtOnceIsOneBlankPageAndCopiesGoIntoTheNextJob) {
    TPrinter& printer = Printer();
    PdfFolder pdfs;
    printer.StartJob();
    printer.FinishJob();
    EXPECT_EQ(pdfs.NewPdf().pages, 1);

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
    EXPECT_EQ(pdfs.NewPdf().pages, 1);
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

TEST(PrintCommand, TheDocumentGoesOutOnlyAfterTheDialogIsConfirmedLineForLine) {
    ShownForm1 form;
    const auto lines = FillWithLines(*form.operator->(), 300);
    PdfFolder pdfs;
    {
        BoxWatcher cancel({BoxWatcher::Dialog(BoxWatcher::Press(IDCANCEL))});
        form->ToolButton16Click();
        ASSERT_EQ(cancel.Seen().size(), 1u);
    }
    EXPECT_FALSE(pdfs.AnyWithin(1000));
    {
        BoxWatcher ok({BoxWatcher::Dialog(BoxWatcher::Press(IDOK))});
        form->ToolButton16Click();
        ASSERT_EQ(ok.Seen().size(), 1u);
    }
    EXPECT_FALSE(Printer().Printing());
    const auto pdf = pdfs.NewPdf();
    EXPECT_EQ(pdf.lines, lines);
    EXPECT_GT(pdf.pages, 1); // 300 lines of the 9-point font do not fit one page
    EXPECT_EQ(Printer().Canvas().Font.height,
              -::MulDiv(9, ::GetDeviceCaps(Printer().Handle(), LOGPIXELSY), 72));
}

TEST(PrintDocument, PrintsThePagesItLaysOutAndAnEmptyDocumentAsOneBlankPage) {
    ShownForm1 form;
    PdfFolder pdfs;
    const auto lines = FillWithLines(*form.operator->(), 700);
    const int pages = printing::PrintDocument(*form->RichEdit1);
    const auto pdf = pdfs.NewPdf();
    EXPECT_GE(pages, 3);
    EXPECT_EQ(pdf.pages, pages);
    EXPECT_EQ(pdf.lines, lines);

    ::SetWindowTextA(form->RichEdit1->Handle(), "");
    EXPECT_EQ(printing::PrintDocument(*form->RichEdit1), 1);
    const auto blank = pdfs.NewPdf();
    EXPECT_EQ(blank.pages, 1);
    EXPECT_TRUE(blank.lines.empty());
}

// An error in the middle of a job drops the job and leaves the printer ready for the next.
TEST(PrintDocument, AnErrorMidJobDropsTheJobAndTheNextPrintWorks) {
    struct FailingAtPageTwo : printing::TPrinterLineCanvas {
        using TPrinterLineCanvas::TPrinterLineCanvas;
        void NextPage() override { throw EPrinter("page two fails"); }
    };
    ShownForm1 form;
    FillWithLines(*form.operator->(), 300);
    PdfFolder pdfs;
    FailingAtPageTwo failing(Printer());
    EXPECT_THROW(printing::PrintDocument(*form->RichEdit1, failing), EPrinter);
    EXPECT_FALSE(Printer().Printing());
    EXPECT_GT(printing::PrintDocument(*form->RichEdit1), 1);
    EXPECT_GT(pdfs.NewPdf().pages, 1);
    EXPECT_FALSE(pdfs.AnyWithin(1000)); // the dropped job wrote nothing
}

// A page call the platform refuses ends the job with the error, never as printed.
TEST(PrinterJob, APageThePlatformRefusesFailsTheJobAndTheNextJobWorks) {
    TPrinter& printer = Printer();
    PdfFolder pdfs;
    printer.StartJob();
    ::DeleteDC(printer.Handle()); // the platform's page calls fail from here on
    EXPECT_EQ(PrinterError([&] { printer.NextPage(); }), "印刷に失敗しました");
    EXPECT_FALSE(printer.Printing());
    printer.StartJob();
    printer.FinishJob();
    EXPECT_EQ(pdfs.NewPdf().pages, 1);
}

// The program's end arriving while the platform spools stops the job; the print command
// returns silently and the quit stays for the message loop.
TEST(PrintDocument, TheProgramClosedWhileSpoolingDropsTheJobAndQuits) {
    ShownForm1 form;
    FillWithLines(*form.operator->(), 700);
    PdfFolder pdfs;
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_THROW(printing::PrintDocument(*form->RichEdit1), EAbort);
    EXPECT_FALSE(Printer().Printing());
    EXPECT_TRUE(::IsWindow(form->RichEdit1->Handle()));
    MSG quit{};
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(pdfs.AnyWithin(1000));
    EXPECT_GT(printing::PrintDocument(*form->RichEdit1), 1); // the next print works
    EXPECT_GT(pdfs.NewPdf().pages, 1);
}
