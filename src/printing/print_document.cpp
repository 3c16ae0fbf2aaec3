#include "printing/print_document.h"

#include <windows.h>

#include <vector>

#include "editor/rich_edit.h"
#include "printing/line_layout.h"
#include "printing/printer.h"

namespace dodir::printing {

namespace {

// The line layout's device: the printer object and its canvas.
class TPrinterLineCanvas : public TLineCanvas {
  public:
    explicit TPrinterLineCanvas(TPrinter& printer) : printer_(printer) {}
    void StartJob() override { printer_.StartJob(); }
    void NextPage() override { printer_.NextPage(); }
    void FinishJob() override { printer_.FinishJob(); }
    int PrintableWidth() override { return printer_.PrintableWidth(); }
    int PrintableHeight() override { return printer_.PrintableHeight(); }
    TLineFontMetrics FontMetrics() override {
        TEXTMETRICA tm{};
        ::GetTextMetricsA(printer_.Canvas().Handle(), &tm);
        return {tm.tmHeight, tm.tmAveCharWidth};
    }
    int MeasureRun(std::string_view run, std::span<int> ends) override {
        // Measured in UTF-16, one extent a character, each put at its character's last byte.
        const int bytes = static_cast<int>(run.size());
        std::vector<wchar_t> wide(run.size() + 1);
        const int chars = ::MultiByteToWideChar(CP_ACP, 0, run.data(), bytes, wide.data(), bytes + 1);
        std::vector<int> extents(static_cast<std::size_t>(std::max(chars, 1)));
        SIZE size{};
        ::GetTextExtentExPointW(printer_.Canvas().Handle(), wide.data(), chars, 0, nullptr, extents.data(),
                                &size);
        int k = 0;
        for (int at = 0; at < bytes && k < chars; ++k) {
            const bool pair =
                ::IsDBCSLeadByte(static_cast<BYTE>(run[static_cast<std::size_t>(at)])) && at + 1 < bytes;
            at += pair ? 2 : 1;
            ends[static_cast<std::size_t>(at - 1)] = extents[static_cast<std::size_t>(k)];
        }
        return size.cy;
    }
    void DrawText(int x, int y, std::string_view bytes) override {
        ::TextOutA(printer_.Canvas().Handle(), x, y, bytes.data(), static_cast<int>(bytes.size()));
    }

  private:
    TPrinter& printer_;
};

} // namespace

void PrintDocument(TRichEdit& editor) {
    TPrinter& printer = Printer();
    TPrinterLineCanvas canvas(printer);
    TLinePrinter output(canvas);
    output.Open();
    try {
        // The editor's font, its size kept in points, at the printer's resolution.
        printer.Canvas().Font = editor.Font();
        printer.Canvas().FontPixelsPerInch = 96;
        printer.Canvas().UpdateFont();
        const int lines = editor.Lines.LineCount();
        for (int k = 0; k < lines; ++k) {
            output.WriteText(editor.Lines.LineAt(k));
            output.WriteLineEnd();
        }
        output.Close();
    } catch (...) {
        printer.AbortJob();
        throw;
    }
}

} // namespace dodir::printing
