// Time of printing a 2 MB document with PrintDocument, against a bare loop in the same run
// that prints the very same runs at the same positions, with the same page breaks, on a
// fresh device context of the same printer (StartDoc to EndDoc, TextOutA only). The runs
// and breaks are recorded from an untimed print of the program first. The documents:
// ordinary lines of mixed ASCII and Japanese; long lines of the same without a space, in
// an editor like the main window's, which hands them over as its wrapped rows; and the long
// lines in an editor that does not wrap, whose rows are whole lines (the editor gives at
// most 4096 bytes of each) that the printed layout breaks itself. Ratios above 1 mean the
// program is slower. Prints to the default printer: run under Wine with the PDF queue,
// scripts/bench.sh. Arguments: the repetitions (default 3; the best time is reported) and
// the document size in kilobytes (default 2048).
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/win/font.h"
#include "base/win/handles.h"
#include "editor/rich_edit.h"
#include "app/startup.h"
#include "printing/print_document.h"
#include "bench_clock.h"
#include "bench_stream.h"

namespace {

constexpr char kTitle[] = "dodir print bench";

double Seconds(const std::function<void()>& work) {
    const double a = Now();
    work();
    return Now() - a;
}

// Waits, a minute at most, until the printing system has no job left, so that converting an
// earlier job does not compete with the print being timed.
void WaitForIdleQueue() {
    const std::string marker = "/tmp/dodir-print-bench-" + std::to_string(::GetCurrentProcessId());
    const std::string dosMarker = "Z:" + marker;
    ::DeleteFileA(dosMarker.c_str());
    // Wine starts a Unix program without waiting for it: the marker tells when it is done.
    std::string command = "sh -c \"while lpstat -o | grep -q .; do sleep 0.2; done; touch $0\" " + marker;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA("Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        return;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    for (int k = 0; k < 600 && ::GetFileAttributesA(dosMarker.c_str()) == INVALID_FILE_ATTRIBUTES; ++k)
        ::Sleep(100);
    ::DeleteFileA(dosMarker.c_str());
}

struct Run {
    int x, y;
    std::string bytes;
};
using PageRuns = std::vector<std::vector<Run>>;

// The printer's canvas, keeping every run it draws, page by page.
class TRecordingCanvas : public dodir::TPrinterLineCanvas {
  public:
    using TPrinterLineCanvas::TPrinterLineCanvas;
    PageRuns drawn;
    void StartJob() override {
        drawn.assign(1, {});
        TPrinterLineCanvas::StartJob();
    }
    void NextPage() override {
        TPrinterLineCanvas::NextPage();
        drawn.emplace_back();
    }
    void DrawBytes(int x, int y, std::string_view bytes) override {
        drawn.back().push_back({x, y, std::string(bytes)});
        TPrinterLineCanvas::DrawBytes(x, y, bytes);
    }
};

// The recorded runs on a device context of its own, in the editor's font at the printer's
// resolution as the program makes it; the time from StartDoc to EndDoc, or -1 when a call
// fails.
double BarePrint(dodir::TPrinter& printer, const PageRuns& pages, dodir::TFont font) {
    const dodir::TPrinterDevice& device = printer.CurrentPrinter();
    const auto& settings = printer.DeviceSettings();
    const auto* mode = settings.empty() ? nullptr : reinterpret_cast<const DEVMODEA*>(settings.data());
    HDC dc = ::CreateDCA(device.driver.c_str(), device.device.c_str(), device.port.c_str(), mode);
    if (!dc) return -1;
    const int points = -::MulDiv(font.height, 72, 96);
    font.height = -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    dodir::win::UniqueFont handle(dodir::win::CreateFontOf(font));
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = kTitle;
    bool ok = true;
    const double seconds = Seconds([&] {
        ok = ::StartDocA(dc, &doc) > 0;
        for (const auto& page : pages) {
            ok = ::StartPage(dc) > 0 && ok;
            ::SelectObject(dc, handle.get());
            ::SetTextColor(dc, dodir::win::ColorToRGB(font.color));
            ::SetBkMode(dc, TRANSPARENT);
            for (const Run& r : page)
                ::TextOutA(dc, r.x, r.y, r.bytes.data(), static_cast<int>(r.bytes.size()));
            ok = ::EndPage(dc) > 0 && ok;
        }
        ok = ::EndDoc(dc) > 0 && ok;
    });
    ::DeleteDC(dc);
    return ok ? seconds : -1;
}

// Numbered lines of about `width` bytes, ASCII and Japanese mixed, with or without spaces.
std::string MakeText(std::size_t bytes, std::size_t width, bool spaces) {
    const std::string words[] = {"日本語の", "memo", "を", "ASCII", "と混ぜた", "text", "です。", "x"};
    std::string text;
    for (int line = 1; text.size() < bytes; ++line) {
        std::string row = std::to_string(line) + ":";
        for (std::size_t k = 0; row.size() < width; ++k) {
            row += words[k % std::size(words)];
            if (spaces) row += ' ';
        }
        text += row + "\r\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    // The printer's abort procedure runs the program's message step, as in the program.
    dodir::TProgram program;
    dodir::TPrinter& printer = program.Printer();
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int kilobytes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2048;
    dodir::win::UniqueWindow host(::CreateWindowExA(0, "STATIC", "print bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                                    700, 400, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                                    nullptr));
    printer.Title = kTitle;
    std::printf("%d KB documents, best of %d\n", kilobytes, reps);
    std::printf("%-24s %7s %9s %10s %10s %8s\n", "document", "pages", "runs", "dodir ms", "bare ms", "ratio");
    const struct {
        const char* name;
        std::size_t width;
        bool spaces, wordWrap;
    } cases[] = {{"ordinary lines", 60, true, true},
                 {"long lines", 20000, false, true},
                 {"long lines, no wrap", 20000, false, false}};
    for (const auto& c : cases) {
        // The main window's editor: its size, and wrapping at its edge unless told not to.
        dodir::TRichEditSettings settings;
        settings.bounds = RECT{0, 0, 649, 369};
        settings.verticalScrollBar = true;
        settings.wordWrap = c.wordWrap;
        dodir::TRichEdit editor(host.get(), settings);
        ::SendMessageA(editor.Handle(), EM_EXLIMITTEXT, 0, dodir::TRichEdit::kUnlimitedText);
        const std::string text = MakeText(static_cast<std::size_t>(kilobytes) * 1024, c.width, c.spaces);
        StreamInText(editor.Handle(), text);

        TRecordingCanvas recorder(printer);
        const int pages = dodir::PrintDocument(editor, recorder, program.Scale().Dpi());
        std::size_t runs = 0;
        for (const auto& page : recorder.drawn) runs += page.size();
        double ours = 1e9, bare = 1e9;
        for (int i = 0; i < reps; ++i) {
            int printed = 0;
            WaitForIdleQueue();
            ours = std::min(ours, Seconds([&] {
                                printed = dodir::PrintDocument(editor, printer, program.Scale().Dpi());
                            }));
            WaitForIdleQueue();
            const double b = BarePrint(printer, recorder.drawn, editor.Font());
            if (printed != pages || b < 0) {
                std::printf("%s: the prints differ or failed\n", c.name);
                return 1;
            }
            bare = std::min(bare, b);
        }
        std::printf("%-24s %7d %9zu %10.1f %10.1f %8.2f\n", c.name, pages, runs, ours * 1e3, bare * 1e3,
                    ours / bare);
        std::fflush(stdout);
    }
    WaitForIdleQueue();
    return 0;
}
