// TPrinter: a gateway to printing: the installed printers, the current printer with its
// device settings and device context, print jobs and their pages, and the canvas drawn on,
// whose font follows the printer's resolution.
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
    // A job still active is finished first.
    ~TPrinter();

    // The document name of every job.
    std::string Title;

    // While the platform spools, the loop handles the waiting messages; without one they wait.
    void SetSpoolingLoop(TSpoolingLoop loop) { loop_ = std::move(loop); }

    // Starts a document and its first page; "現在印刷中です" when a job is active.
    void StartJob();
    // Ends the page and starts the next.
    void NextPage();
    // Ends the page and the document (drops it when aborted).
    void FinishJob();
    // Ends an active job where it stands, the platform dropping what it has, and lets the
    // next job start on a fresh device context; nothing without a job.
    void AbortJob() noexcept;
    bool Printing() const noexcept { return printing_; }
    // Set while a job runs when the program's quit arrived during spooling; the job is
    // then dropped instead of ended.
    bool Aborted() const noexcept { return aborted_; }

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
    void ChooseDefaultPrinter();
    const TPrinterDevice& Current();
    void ReleaseHandle() noexcept;
    void CreateContext(bool forPrinting);
    void CheckPlatform(int result);
    static BOOL CALLBACK AbortProc(HDC dc, int error);
    // The abort procedure's answer for this printer's job: false once the program is ending.
    bool KeepSpooling();
    // The job is over: printing stops and the abort procedure no longer finds the printer.
    void EndPrinting() noexcept;

    std::vector<TPrinterDevice> printers_;
    int current_ = -1;
    std::vector<BYTE> settings_;
    HDC dc_ = nullptr;
    bool isDeviceContext_ = false;
    bool printing_ = false;
    bool aborted_ = false;
    TSpoolingLoop loop_;
    TPrinterCanvas canvas_{*this};
};

} // namespace dodir
