#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/form1.h"
#include "base/errors.h"
#include "printing/printer.h"
#include "support/pdf_folder.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

// The PDF queue installed as this process's default printer for the life of the object.
// Wine lists the scheduler's printers only in the first process of a session to load the
// spooler, and this process cannot reach the scheduler itself: the printer hands its jobs to
// lp through a pipe, without the process's CUPS_SERVER.
class InstalledPdfQueue {
  public:
    InstalledPdfQueue() {
        DRIVER_INFO_3A driver{};
        driver.cVersion = 3;
        driver.pName = name_;
        driver.pDriverPath = driver.pConfigFile = const_cast<char*>("wineps.drv");
        driver.pDataFile = const_cast<char*>("Z:\\usr\\share\\ppd\\cups-pdf\\CUPS-PDF_opt.ppd");
        driver.pDefaultDataType = const_cast<char*>("RAW");
        ok_ = ::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                                    APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
        PRINTER_INFO_2A printer{};
        printer.pPrinterName = printer.pDriverName = name_;
        printer.pPortName = const_cast<char*>("|env -u CUPS_SERVER lp -d PDF");
        printer.pPrintProcessor = const_cast<char*>(PrintProcessor());
        printer.pDatatype = const_cast<char*>("RAW");
        handle_ = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
        ok_ = ok_ && handle_ && ::SetDefaultPrinterA(name_);
    }
    InstalledPdfQueue(const InstalledPdfQueue&) = delete;
    InstalledPdfQueue& operator=(const InstalledPdfQueue&) = delete;
    ~InstalledPdfQueue() {
        if (handle_) {
            ::DeletePrinter(handle_);
            ::ClosePrinter(handle_);
        }
        ::DeletePrinterDriverA(nullptr, nullptr, name_);
    }
    bool Ok() const { return ok_; }

  private:
    // The print processor of the printers Wine makes itself: "wineps" from Wine 9 on, whose
    // spooler hands jobs over as EMF, which "WinPrint" refuses; "WinPrint" before, and on Windows.
    static const char* PrintProcessor() {
        using TVersion = const char*(CDECL*)();
        const FARPROC proc = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version");
        const auto version = reinterpret_cast<TVersion>(reinterpret_cast<void*>(proc));
        return version && std::atoi(version()) >= 9 ? "wineps" : "WinPrint";
    }
    char name_[4] = "PDF";
    HANDLE handle_ = nullptr;
    bool ok_ = false;
};

} // namespace

// Run with CUPS_SERVER naming no scheduler (the test command does): the process sees no
// printer at all, until the PDF queue is installed halfway and removed again.
TEST(NoPrinter, ThePrintCommandEndsWithTheErrorBeforeAnyDialogAndPrintsWhileThereIsAPrinter) {
    const char* server = std::getenv("CUPS_SERVER");
    if (!server || std::string(server) != "/nonexistent.sock")
        GTEST_SKIP() << "needs CUPS_SERVER=/nonexistent.sock";
    EXPECT_TRUE(TestPrinter().Printers().empty());
    ShownForm1 form;
    const auto failsBeforeAnyDialog = [&] {
        BoxWatcher noDialog; // the print dialog must not open
        try {
            form->ToolButton16Click();
            ADD_FAILURE() << "printed without a printer";
        } catch (const EPrinter& e) {
            EXPECT_EQ(e.Message(), "デフォルト プリンタが存在しません");
        }
        EXPECT_TRUE(noDialog.Seen().empty());
        EXPECT_FALSE(TestPrinter().Printing());
    };
    failsBeforeAnyDialog();
    {
        InstalledPdfQueue queue;
        ASSERT_TRUE(queue.Ok()) << ::GetLastError();
        PdfFolder pdfs;
        BoxWatcher ok({BoxWatcher::Dialog(BoxWatcher::Press(IDOK))});
        ::SetWindowTextA(form->RichEdit1->Handle(), "printed");
        form->ToolButton16Click();
        EXPECT_EQ(ok.Seen().size(), 1u);
        EXPECT_EQ(pdfs.NewPdf().pages, 1);
    }
    failsBeforeAnyDialog(); // the printer that was current is gone
}
