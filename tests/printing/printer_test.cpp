#include "printing/printer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form1.h"
#include "printing/print_document.h"
#include "base/errors.h"
#include "base/win/font.h"
#include "support/pdf_folder.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

// The resolution at which the editor's font is in pixels: the screen's, as the program read it.
int ScreenDpi() { return TestProgram().Scale().Dpi(); }

// The message of the EPrinter a call raises; "" when it raises none.
template <class F> std::string PrinterError(F call) {
    try {
        call();
    } catch (const EPrinter& e) {
        return e.Message();
    }
    return "";
}

// Puts lines into the editor in a face whose printed text pdftotext can read.
void SetDocument(TForm1& form, const std::vector<std::string>& lines) {
    TFont font = form.RichEdit1->Font();
    font.name = "VL PGothic";
    form.RichEdit1->SetFont(font);
    std::string text;
    for (std::size_t k = 0; k < lines.size(); ++k) text += lines[k] + (k + 1 < lines.size() ? "\r\n" : "");
    ::SetWindowTextA(form.RichEdit1->Handle(), text.c_str());
}

std::vector<std::string> NumberedLines(int from, int count) {
    std::vector<std::string> lines;
    for (int k = from; k < from + count; ++k)
        lines.push_back("行" + std::to_string(k) + "は日本語のテキスト");
    return lines;
}

// A document of numbered Japanese lines.
std::vector<std::string> FillWithLines(TForm1& form, int count) {
    const auto lines = NumberedLines(1, count);
    SetDocument(form, lines);
    return lines;
}

// The editor font's heights at the printer's resolution, and the page height, in device units.
struct PrintedHeights {
    int text, blank, page; // a run's measured height, tmHeight, VERTRES
};
PrintedHeights HeightsOf(const TFont& editorFont) {
    HDC ic = TestPrinter().Handle();
    TFont font = editorFont;
    font.height = -::MulDiv(-::MulDiv(font.height, 72, 96), ::GetDeviceCaps(ic, LOGPIXELSY), 72);
    win::UniqueFont handle(win::CreateFontOf(font));
    HGDIOBJ old = ::SelectObject(ic, handle.get());
    TEXTMETRICA tm{};
    ::GetTextMetricsA(ic, &tm);
    SIZE size{};
    ::GetTextExtentPoint32W(ic, L"LOST", 4, &size);
    ::SelectObject(ic, old);
    return {size.cy, tm.tmHeight, ::GetDeviceCaps(ic, VERTRES)};
}

// A system colour set for the scope; the one before comes back however the scope ends.
struct SysColorScope {
    SysColorScope(int i, COLORREF color) : index(i), saved(::GetSysColor(i)) {
        ::SetSysColors(1, &index, &color);
    }
    ~SysColorScope() { ::SetSysColors(1, &index, &saved); }
    int index;
    COLORREF saved;
};

} // namespace

TEST(PrinterJob, AJobPrintsItsPagesAndEveryStepChecksTheJobState) {
    TPrinter& printer = TestPrinter();
    ASSERT_EQ(printer.CurrentPrinter().device, "PDF"); // the queue the test command made the default
    EXPECT_GT(printer.PrintableWidth(), 0);
    EXPECT_EQ(PrinterError([&] { printer.Canvas().Handle(); }), "プリンタに印刷できる状態ではありません");

    PdfFolder pdfs;
    printer.Canvas().Font = WindowFont();
    printer.Canvas().FontPixelsPerInch = 96;
    TPrintJob job(printer);
    // The 9-point font at the printer's resolution.
    const int ppi = ::GetDeviceCaps(printer.Handle(), LOGPIXELSY);
    HDC dc = printer.Canvas().Handle();
    EXPECT_EQ(printer.Canvas().Font.height, -::MulDiv(9, ppi, 72));
    ::TextOutA(dc, 0, 0, "page 1", 6);
    EXPECT_EQ(PrinterError([&] { TPrintJob second(printer); }), "現在印刷中です");
    EXPECT_TRUE(printer.Printing()); // the first job goes on
    EXPECT_EQ(PrinterError([&] { printer.SetCopies(2); }), "現在印刷中です");
    job.NextPage();
    ::TextOutA(printer.Canvas().Handle(), 0, 0, "page 2", 6);
    job.Finish();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(PrinterError([&] { job.NextPage(); }), "プリンタに印刷できる状態ではありません");
    EXPECT_EQ(PrinterError([&] { job.Finish(); }), "プリンタに印刷できる状態ではありません");
    EXPECT_EQ(pdfs.NewPdf().pages, 2);
}

TEST(PrinterJob, AJobFinishedAtOnceIsOneBlankPageAndCopiesGoIntoTheNextJob) {
    TPrinter& printer = TestPrinter();
    PdfFolder pdfs;
    TPrintJob(printer).Finish();
    EXPECT_EQ(pdfs.NewPdf().pages, 1);

    printer.SetCopies(3);
    EXPECT_EQ(printer.Copies(), 3);
    // A job after the change starts on a new device context; one that goes unfinished is
    // dropped and leaves the printer ready for the next.
    { TPrintJob dropped(printer); }
    EXPECT_FALSE(printer.Printing());
    printer.SetCopies(1);
    TPrintJob(printer).Finish();
    EXPECT_EQ(pdfs.NewPdf().pages, 1);
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
        // Under a light-on-dark scheme the editor's text is white; on paper it is black.
        SysColorScope white(COLOR_WINDOWTEXT, RGB(255, 255, 255));
        BoxWatcher ok({BoxWatcher::Dialog(BoxWatcher::Press(IDOK))});
        form->ToolButton16Click();
        ASSERT_EQ(ok.Seen().size(), 1u);
    }
    EXPECT_FALSE(TestPrinter().Printing());
    const auto pdf = pdfs.NewPdf(true);
    EXPECT_GT(pdf.darkPixels, 0);
    EXPECT_EQ(pdf.lines, lines);
    EXPECT_GT(pdf.pages, 1); // 300 lines of the 9-point font do not fit one page
    EXPECT_EQ(TestPrinter().Canvas().Font.height,
              -::MulDiv(9, ::GetDeviceCaps(TestPrinter().Handle(), LOGPIXELSY), 72));
}

// Page 1: text lines up to the last that leaves room for two more, then blank lines until less
// than a line is left; "LOST" goes to the top of page 2, and the text lines after it fill
// page 2 to the end, which leaves no empty page 3.
TEST(PrintDocument, PrintsThePagesItLaysOutWithNoTextBelowAPageNorAnEmptyPageAfterAFullOne) {
    ShownForm1 form;
    PdfFolder pdfs;
    SetDocument(*form.operator->(), {});
    const PrintedHeights h = HeightsOf(form->RichEdit1->Font());
    const int line = h.text + 2;
    const int perPage = (h.page - 2 * line) / line + 1;
    const int blanks = (h.page - (perPage - 1) * line) / h.blank;
    ASSERT_GT((perPage - 1) * line + blanks * h.blank + h.text, h.page); // "LOST" would not fit
    const auto first = NumberedLines(1, perPage - 1), second = NumberedLines(perPage, perPage - 1);
    std::vector<std::string> lines = first;
    lines.resize(lines.size() + static_cast<std::size_t>(blanks));
    lines.push_back("LOST");
    lines.insert(lines.end(), second.begin(), second.end());
    SetDocument(*form.operator->(), lines);
    const int pages = PrintDocument(*form->RichEdit1, TestPrinter(), ScreenDpi());
    const auto pdf = pdfs.NewPdf();
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(pdf.pages, 2);
    ASSERT_EQ(pdf.pageLines.size(), 2u);
    EXPECT_EQ(pdf.pageLines[0], first);
    EXPECT_EQ(pdf.pageLines[1].front(), "LOST");
    EXPECT_EQ(pdf.pageLines[1].size(), second.size() + 1);

    ::SetWindowTextA(form->RichEdit1->Handle(), "");
    EXPECT_EQ(PrintDocument(*form->RichEdit1, TestPrinter(), ScreenDpi()), 1);
    const auto blank = pdfs.NewPdf();
    EXPECT_EQ(blank.pages, 1);
    EXPECT_TRUE(blank.lines.empty());
}

// An error after the job has started, in the middle of it or while the line printer opens,
// drops the job and leaves the printer ready for the next.
TEST(PrintDocument, AnErrorMidJobDropsTheJobAndTheNextPrintWorks) {
    struct Failing : TPrinterLineCanvas {
        Failing(TPrinter& printer, bool atOpen) : TPrinterLineCanvas(printer), atOpen(atOpen) {}
        int PrintableHeight() override {
            if (atOpen) throw EPrinter("the page size fails");
            return TPrinterLineCanvas::PrintableHeight();
        }
        void NextPage() override { throw EPrinter("page two fails"); }
        bool atOpen;
    };
    ShownForm1 form;
    FillWithLines(*form.operator->(), 300);
    PdfFolder pdfs;
    for (const bool atOpen : {false, true}) {
        Failing failing(TestPrinter(), atOpen);
        EXPECT_THROW(PrintDocument(*form->RichEdit1, failing, ScreenDpi()), EPrinter);
        EXPECT_FALSE(TestPrinter().Printing()) << atOpen;
    }
    EXPECT_GT(PrintDocument(*form->RichEdit1, TestPrinter(), ScreenDpi()), 1);
    EXPECT_GT(pdfs.NewPdf().pages, 1);
    EXPECT_FALSE(pdfs.AnyWithin(1000)); // the dropped jobs wrote nothing
}

// A page call the platform refuses ends the job with the error, never as printed.
TEST(PrinterJob, APageThePlatformRefusesFailsTheJobAndTheNextJobWorks) {
    TPrinter& printer = TestPrinter();
    PdfFolder pdfs;
    TPrintJob job(printer);
    ::DeleteDC(printer.Handle()); // the platform's page calls fail from here on
    EXPECT_EQ(PrinterError([&] { job.NextPage(); }), "印刷に失敗しました");
    EXPECT_FALSE(printer.Printing());
    TPrintJob(printer).Finish();
    EXPECT_EQ(pdfs.NewPdf().pages, 1);
}

// While the platform spools, a printer runs the loop it is given; the loop's end drops the job.
TEST(PrinterJob, WhileSpoolingAPrinterRunsItsOwnLoopAndTheLoopsEndDropsTheJob) {
    TPrinter printer;
    int steps = 0;
    bool ending = false;
    printer.SetSpoolingLoop({[&] { return ++steps < 0; }, [&] { return ending; }});
    PdfFolder pdfs;
    TPrintJob(printer).Finish();
    EXPECT_GT(steps, 0);
    EXPECT_EQ(pdfs.NewPdf().pages, 1);
    ending = true;
    EXPECT_THROW(TPrintJob{printer}, EAbort);
    EXPECT_FALSE(printer.Printing());
    EXPECT_FALSE(pdfs.AnyWithin(1000));
}

// While the platform spools, waiting input goes through the application's own step: Tab in
// the editor moves the focus to the gutter and types nothing. The program's end arriving then
// stops the job; the print command returns silently and the quit stays for the message loop.
// A move of the mouse onto the editor while the next job spools keeps the wait cursor; after
// the job the editor chooses its own cursor, not the one from before the job.
TEST(PrintDocument, InputWhileSpoolingIsTheProgramsAndItsEndDropsTheJobAndQuits) {
    ShownForm1 form;
    FillWithLines(*form.operator->(), 700);
    PdfFolder pdfs;
    form->RichEdit1->Focus();
    ::PostMessageA(form->RichEdit1->Handle(), WM_KEYDOWN, VK_TAB, 1);
    ::PostMessageA(form->RichEdit1->Handle(), WM_KEYUP, VK_TAB, 0xC0000001);
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_THROW(PrintDocument(*form->RichEdit1, TestPrinter(), ScreenDpi()), EAbort);
    EXPECT_EQ(::GetFocus(), form->Gutter->RichEdit2->Handle());
    EXPECT_EQ(TextOf(form->RichEdit1->Handle()).find('\t'), std::string::npos);
    EXPECT_FALSE(TestPrinter().Printing());
    EXPECT_TRUE(::IsWindow(form->RichEdit1->Handle()));
    MSG quit{};
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(pdfs.AnyWithin(1000));
    struct Watching : TPrinterLineCanvas {
        using TPrinterLineCanvas::TPrinterLineCanvas;
        void StartJob() override {
            TPrinterLineCanvas::StartJob(); // the platform runs the loop as the job starts
            seen = ::GetCursor();
        }
        HCURSOR seen = nullptr;
    } watching(TestPrinter());
    const RECT r = FrameOf(form->RichEdit1->Handle());
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SetCursor(::LoadCursorA(nullptr, IDC_CROSS));
    EXPECT_GT(PrintDocument(*form->RichEdit1, watching, ScreenDpi()), 1); // the next print works
    EXPECT_GT(pdfs.NewPdf().pages, 1);
    EXPECT_EQ(watching.seen, ::LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_IBEAM));
}
