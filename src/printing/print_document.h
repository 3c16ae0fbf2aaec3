// The print command's work: the editor's lines as plain text on a printer.
#pragma once
#include <memory>
#include <span>
#include <string_view>

#include "printing/line_layout.h"
#include "printing/printer.h"

namespace dodir {

class TRichEdit;

// The line printer's device: the printer object, drawing on its canvas, with a job of its own
// (TPrintJob) between StartJob and FinishJob or AbortJob.
class TPrinterLineCanvas : public TLineCanvas {
  public:
    explicit TPrinterLineCanvas(TPrinter& printer) : printer_(printer) {}
    void StartJob() override;
    void NextPage() override;
    void FinishJob() override;
    void AbortJob() noexcept override;
    int PrintableWidth() override;
    int PrintableHeight() override;
    TLineFontMetrics FontMetrics() override;
    int MeasureRun(std::string_view run, std::span<int> ends) override;
    void DrawBytes(int x, int y, std::string_view bytes) override;

    // The printer object drawn on.
    TPrinter& Device() const noexcept { return printer_; }
    // Pages started by the last job.
    int Pages() const noexcept { return pages_; }
    // Whether the program's quit has stopped the running job (TPrintJob::Aborted).
    bool Aborted() const noexcept { return job_ && job_->Aborted(); }

  private:
    TPrintJob& Job();

    TPrinter& printer_;
    std::unique_ptr<TPrintJob> job_;
    int pages_ = 0;
};

// Prints every line of the editor, in order, in the editor's font (in pixels at
// fontPixelsPerInch, the screen's resolution) at the printer's resolution, on one job through
// canvas (on the canvas's printer), and gives the number of pages. A failure ends the job where
// it stands (the platform drops it) and leaves the printer ready for the next print before the
// error goes on; so does the program's end, silently (EAbort).
int PrintDocument(TRichEdit& editor, TPrinterLineCanvas& canvas, int fontPixelsPerInch);
int PrintDocument(TRichEdit& editor, TPrinter& printer, int fontPixelsPerInch);

} // namespace dodir
