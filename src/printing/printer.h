// TPrinter: a gateway to printing: the installed printers, the current printer with its
// device settings and device context (one for printing while a job runs), and the canvas
// drawn on, whose font follows the printer's resolution. TPrintJob: a job on it and its pages.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/fonts.h"
#include "base/win/handles.h"

namespace dodir {

class TPrinter;
class TPrintJob;

// One installed printer.
struct TPrinterDevice {
    std::string driver, device, port;
};

// The program's message loop as the printer runs it while the platform spools.
struct TSpoolingLoop {
    // Handles one waiting message; false when none was waiting.
    std::function<bool()> processMessage;
    // Whether the program is ending.
    std::function<bool()> terminated;
};

// The surface a job draws on. Every use of its device context needs an active job.
class TPrinterCanvas {
  public:
    explicit TPrinterCanvas(TPrinter& printer) : Printer(printer) {}
    TPrinter& Printer;
    // The font to draw with, in pixels at FontPixelsPerInch.
    TFont Font = WindowFont();
    int FontPixelsPerInch = 96;

    // The printer's device context, with the font selected; fails without an active job.
    HDC Handle();
    // Rescales the font to the printer's vertical resolution when that differs.
    void UpdateFont();
    // Selects the drawing objects into the device context again (after a page starts).
    void Refresh();

  private:
    win::UniqueFont font_;
    TFont selectedFont_;
    int selectedPixelsPerInch_ = 0;
};

class TPrinter {
  public:
    TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;
    // A job still running is dropped first.
    ~TPrinter();

    // The document name of every job.
    std::string Title;

    // While the platform spools, the loop handles the waiting messages; without one they wait.
    void SetSpoolingLoop(TSpoolingLoop loop) { loop_ = std::move(loop); }

    // Whether a job (TPrintJob) is running on the printer.
    bool Printing() const noexcept { return job_ != nullptr; }

    int PrintableWidth();
    int PrintableHeight();
    // The device context of the job, or an information context between jobs.
    HDC Handle();

    // The installed printers, listed again while there are none.
    const std::vector<TPrinterDevice>& Printers();
    // The current printer; the default printer is made current when none is, or when the
    // current one is no longer installed.
    const TPrinterDevice& CurrentPrinter();
    // Its device settings (DEVMODEA and the driver's extra bytes); empty when it has none.
    const std::vector<BYTE>& DeviceSettings();
    // Makes a printer current with the given device settings, or the driver's defaults.
    void SetPrinter(const TPrinterDevice& device, const DEVMODEA* settings);
    int Copies();
    void SetCopies(int copies);

    TPrinterCanvas& Canvas() { return canvas_; }

  private:
    friend class TPrintJob;

    // The device context of a job (forPrinting), or an information context; none at first
    // and after every change of printer or settings.
    struct TContext {
        win::UniqueDc handle;
        bool forPrinting = false;
    };

    void ChooseDefaultPrinter();
    const TPrinterDevice& Current();
    void CreateContext(bool forPrinting);

    std::vector<TPrinterDevice> printers_;
    int current_ = -1;
    std::vector<BYTE> settings_;
    TContext context_;
    TPrintJob* job_ = nullptr;
    TSpoolingLoop loop_;
    TPrinterCanvas canvas_{*this};
};

// One job on a printer, a scope: made, it starts the document (named after the printer's
// Title) and its first page on the printer's device context; gone without Finish, or after a
// failure, it ends where it stands, the platform dropping what it has, and the next job starts
// on a fresh device context.
class TPrintJob {
  public:
    // "現在印刷中です" when the printer has a job running.
    explicit TPrintJob(TPrinter& printer);
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;
    ~TPrintJob();

    // Ends the page and starts the next.
    void NextPage();
    // Ends the page and the document (drops it when aborted).
    void Finish();
    // Set when the program's quit arrived during spooling; the job is then dropped instead of
    // ended.
    bool Aborted() const noexcept { return aborted_; }

  private:
    friend class TPrinter;

    static BOOL CALLBACK AbortProc(HDC dc, int error);
    // The abort procedure's answer for this job: false once the program is ending.
    bool KeepSpooling();
    // A step the platform refuses drops the job and reports it, never taken for printed.
    void Check(int result);
    // The job is over: the printer is free and the abort procedure no longer finds the job.
    void Unregister() noexcept;
    // Ends a running job where it stands and lets go of its device context.
    void Drop() noexcept;

    TPrinter& printer_;
    HDC dc_ = nullptr;
    bool running_ = false;
    bool aborted_ = false;
};

} // namespace dodir
