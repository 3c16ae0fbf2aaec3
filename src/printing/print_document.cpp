#include "printing/print_document.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/errors.h"
#include "base/win/handles.h"
#include "editor/rich_edit.h"
#include "printing/printer.h"

namespace dodir {

void TPrinterLineCanvas::StartJob() {
    pages_ = 0;
    // Made before it takes the place of a finished one: a job still running refuses it.
    job_ = std::make_unique<TPrintJob>(printer_);
    pages_ = 1;
}

void TPrinterLineCanvas::NextPage() {
    Job().NextPage();
    ++pages_;
}

void TPrinterLineCanvas::FinishJob() {
    Job().Finish();
    job_.reset();
}

void TPrinterLineCanvas::AbortJob() noexcept { job_.reset(); }

TPrintJob& TPrinterLineCanvas::Job() {
    if (!job_) throw std::logic_error("no print job started");
    return *job_;
}

int TPrinterLineCanvas::PrintableWidth() { return printer_.PrintableWidth(); }
int TPrinterLineCanvas::PrintableHeight() { return printer_.PrintableHeight(); }

TLineFontMetrics TPrinterLineCanvas::FontMetrics() {
    TEXTMETRICA tm{};
    ::GetTextMetricsA(printer_.Canvas().Handle(), &tm);
    return {tm.tmHeight, tm.tmAveCharWidth};
}

int TPrinterLineCanvas::MeasureRun(std::string_view run, std::span<int> ends) {
    // Measured in UTF-16, one extent a character, each put at its character's last byte.
    const int bytes = static_cast<int>(run.size());
    std::vector<wchar_t> wide(run.size() + 1);
    const int chars = ::MultiByteToWideChar(kCodePage932, 0, run.data(), bytes, wide.data(), bytes + 1);
    std::vector<int> extents(static_cast<std::size_t>(std::max(chars, 1)));
    SIZE size{};
    ::GetTextExtentExPointW(printer_.Canvas().Handle(), wide.data(), chars, 0, nullptr, extents.data(),
                            &size);
    int k = 0;
    for (int at = 0; at < bytes && k < chars; ++k) {
        const bool pair =
            IsLeadByte(static_cast<unsigned char>(run[static_cast<std::size_t>(at)])) && at + 1 < bytes;
        at += pair ? 2 : 1;
        ends[static_cast<std::size_t>(at - 1)] = extents[static_cast<std::size_t>(k)];
    }
    return size.cy;
}

void TPrinterLineCanvas::DrawBytes(int x, int y, std::string_view bytes) {
    ::TextOutA(printer_.Canvas().Handle(), x, y, bytes.data(), static_cast<int>(bytes.size()));
}

int PrintDocument(TRichEdit& editor, TPrinterLineCanvas& canvas, int fontPixelsPerInch) {
    TPrinter& printer = canvas.Device();
    win::WaitCursor busy;
    // The lines are read before the job starts, one after the other: reading a line walks the
    // editor's paragraphs from the first, which the printer's work in between would push out
    // of the processor's caches. The job prints the document as it stood when printing began.
    std::vector<std::string> lines(static_cast<std::size_t>(std::max(editor.Lines.LineCount(), 0)));
    for (std::size_t k = 0; k < lines.size(); ++k) lines[k] = editor.Lines.LineAt(static_cast<int>(k));
    // Whatever fails once the job has started drops the job: the output aborts it as it goes.
    TLinePrinter output(canvas);
    output.Open();
    // The editor's font, in pixels at the screen's resolution, keeps its size in points at the
    // printer's.
    printer.Canvas().Font = editor.Font();
    printer.Canvas().FontPixelsPerInch = fontPixelsPerInch;
    printer.Canvas().UpdateFont();
    for (const std::string& line : lines) {
        // Handlers run while the platform spools; one may have ended the program.
        if (canvas.Aborted()) throw EAbort();
        output.WriteText(line);
        output.WriteLineEnd();
    }
    output.Close();
    return canvas.Pages();
}

int PrintDocument(TRichEdit& editor, TPrinter& printer, int fontPixelsPerInch) {
    TPrinterLineCanvas canvas(printer);
    return PrintDocument(editor, canvas, fontPixelsPerInch);
}

} // namespace dodir
