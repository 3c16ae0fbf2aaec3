#include "printing/printer.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/errors.h"
#include "base/win/font.h"
#include "base/win/window.h"

namespace dodir {

namespace {
const char kPrinting[] = "現在印刷中です";
const char kNotPrinting[] = "プリンタに印刷できる状態ではありません";
const char kInvalidPrinter[] = "選択したプリンタは有効ではありません";
const char kNoDefault[] = "デフォルト プリンタが存在しません";
const char kUnsupported[] = "選択されたプリンタではサポートされていない機能です";
const char kFailed[] = "印刷に失敗しました";

struct PrinterHandle {
    HANDLE h = nullptr;
    ~PrinterHandle() {
        if (h) ::ClosePrinter(h);
    }
};

// The driver's default device settings of a printer; empty when it has none.
std::vector<BYTE> DefaultSettings(const TPrinterDevice& device) {
    PrinterHandle printer;
    std::string name = device.device;
    if (!::OpenPrinterA(name.data(), &printer.h, nullptr)) return {};
    const LONG size = ::DocumentPropertiesA(nullptr, printer.h, name.data(), nullptr, nullptr, 0);
    if (size <= 0) return {};
    std::vector<BYTE> settings(static_cast<std::size_t>(size));
    if (::DocumentPropertiesA(nullptr, printer.h, name.data(), reinterpret_cast<DEVMODEA*>(settings.data()),
                              nullptr, DM_OUT_BUFFER) != IDOK)
        return {};
    return settings;
}

// The printers the platform lists now, local and connected.
std::vector<TPrinterDevice> InstalledPrinters() {
    std::vector<TPrinterDevice> printers;
    DWORD needed = 0, count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    ::EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0) return printers;
    std::vector<BYTE> buf(needed);
    if (!::EnumPrintersA(flags, nullptr, 2, buf.data(), needed, &needed, &count)) return printers;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buf.data());
    for (DWORD k = 0; k < count; ++k) {
        const auto text = [](const char* s) { return std::string(s ? s : ""); };
        printers.push_back({text(info[k].pDriverName), text(info[k].pPrinterName), text(info[k].pPortName)});
    }
    return printers;
}

bool SameDevice(const TPrinterDevice& a, const TPrinterDevice& b) {
    return lstrcmpiA(a.device.c_str(), b.device.c_str()) == 0;
}

// The running jobs, by the device context each draws on: the platform gives the abort
// procedure nothing else to find its job by.
std::vector<std::pair<HDC, TPrintJob*>>& RunningJobs() {
    static std::vector<std::pair<HDC, TPrintJob*>> jobs;
    return jobs;
}

bool QuitWaiting() {
    MSG quit;
    return ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}
} // namespace

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
    if (job_) job_->Drop(); // the job's own end then finds it over and leaves the printer alone
}

const std::vector<TPrinterDevice>& TPrinter::Printers() {
    // A list without printers is asked for again: one may have been installed, or the spooler
    // started, since.
    if (printers_.empty()) printers_ = InstalledPrinters();
    return printers_;
}

void TPrinter::ChooseDefaultPrinter() {
    std::string name;
    DWORD needed = 0, count = 0;
    ::SetLastError(0);
    ::EnumPrintersA(PRINTER_ENUM_DEFAULT, nullptr, 5, nullptr, 0, &needed, &count);
    if (::GetLastError() == ERROR_INVALID_NAME) throw EPrinter(kNoDefault);
    if (needed > 0) {
        std::vector<BYTE> buf(needed);
        if (::EnumPrintersA(PRINTER_ENUM_DEFAULT, nullptr, 5, buf.data(), needed, &needed, &count) &&
            count > 0) {
            const char* n = reinterpret_cast<const PRINTER_INFO_5A*>(buf.data())->pPrinterName;
            name = n ? n : "";
        }
    }
    if (name.empty()) {
        char device[256]{};
        ::GetProfileStringA("windows", "device", "", device, sizeof device);
        name = device;
        name = name.substr(0, name.find(','));
        name.erase(0, name.find_first_not_of(' '));
    }
    const auto& all = Printers();
    for (std::size_t k = 0; k < all.size(); ++k) {
        if (!name.empty() && lstrcmpiA(all[k].device.c_str(), name.c_str()) == 0) {
            current_ = static_cast<int>(k);
            settings_ = DefaultSettings(all[k]);
            return;
        }
    }
    throw EPrinter(kNoDefault);
}

const TPrinterDevice& TPrinter::CurrentPrinter() {
    // A printer removed since it was chosen is forgotten with the list it was on: the default
    // is then chosen from the printers there are now.
    if (current_ >= 0 && !Printing()) {
        std::vector<TPrinterDevice> installed = InstalledPrinters();
        const TPrinterDevice& current = printers_[static_cast<std::size_t>(current_)];
        if (std::none_of(installed.begin(), installed.end(),
                         [&](const TPrinterDevice& p) { return SameDevice(p, current); })) {
            context_ = {};
            settings_.clear();
            current_ = -1;
            printers_ = std::move(installed);
        }
    }
    return Current();
}

const TPrinterDevice& TPrinter::Current() {
    if (current_ < 0) ChooseDefaultPrinter();
    return printers_[static_cast<std::size_t>(current_)];
}

const std::vector<BYTE>& TPrinter::DeviceSettings() {
    Current();
    return settings_;
}

void TPrinter::SetPrinter(const TPrinterDevice& device, const DEVMODEA* settings) {
    if (Printing()) throw EPrinter(kPrinting);
    context_ = {};
    Printers();
    auto it = std::find_if(printers_.begin(), printers_.end(),
                           [&](const TPrinterDevice& p) { return SameDevice(p, device); });
    if (it == printers_.end()) it = printers_.insert(printers_.end(), device);
    current_ = static_cast<int>(it - printers_.begin());
    if (settings) {
        const auto* bytes = reinterpret_cast<const BYTE*>(settings);
        settings_.assign(bytes, bytes + settings->dmSize + settings->dmDriverExtra);
    } else {
        settings_ = DefaultSettings(*it);
    }
}

int TPrinter::Copies() {
    if (DeviceSettings().empty()) throw EPrinter(kUnsupported);
    return reinterpret_cast<const DEVMODEA*>(settings_.data())->dmCopies;
}

void TPrinter::SetCopies(int copies) {
    if (DeviceSettings().empty()) throw EPrinter(kUnsupported);
    if (Printing()) throw EPrinter(kPrinting);
    auto* mode = reinterpret_cast<DEVMODEA*>(settings_.data());
    mode->dmCopies = static_cast<short>(copies);
    mode->dmFields |= DM_COPIES;
    // The next job makes a device context carrying the new setting.
    context_ = {};
}

void TPrinter::CreateContext(bool forPrinting) {
    if (context_.handle && (context_.forPrinting || !forPrinting)) return;
    const TPrinterDevice& p = Current();
    const auto* mode = settings_.empty() ? nullptr : reinterpret_cast<const DEVMODEA*>(settings_.data());
    context_ = {};
    context_.handle.reset(forPrinting
                              ? ::CreateDCA(p.driver.c_str(), p.device.c_str(), p.port.c_str(), mode)
                              : ::CreateICA(p.driver.c_str(), p.device.c_str(), p.port.c_str(), mode));
    if (!context_.handle) throw EPrinter(kInvalidPrinter);
    context_.forPrinting = forPrinting;
}

HDC TPrinter::Handle() {
    CreateContext(false);
    return context_.handle.get();
}

int TPrinter::PrintableWidth() { return ::GetDeviceCaps(Handle(), HORZRES); }
int TPrinter::PrintableHeight() { return ::GetDeviceCaps(Handle(), VERTRES); }

// TPrintJob

TPrintJob::TPrintJob(TPrinter& printer) : printer_(printer) {
    if (printer.Printing()) throw EPrinter(kPrinting);
    printer.CreateContext(true);
    printer.canvas_.Refresh();
    dc_ = printer.context_.handle.get();
    RunningJobs().emplace_back(dc_, this);
    printer.job_ = this;
    running_ = true;
    ::SetAbortProc(dc_, &TPrintJob::AbortProc);
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = printer.Title.c_str();
    Check(::StartDocA(dc_, &doc));
    Check(::StartPage(dc_));
}

TPrintJob::~TPrintJob() { Drop(); }

BOOL CALLBACK TPrintJob::AbortProc(HDC dc, int) {
    return win::Guard(
        [dc]() -> BOOL {
            TPrintJob* job = nullptr;
            for (const auto& [jobDc, running] : RunningJobs())
                if (jobDc == dc) job = running;
            return !job || job->KeepSpooling();
        },
        TRUE);
}

bool TPrintJob::KeepSpooling() {
    // Other handlers of the program run while the platform spools, through the loop's own
    // step, so that keyboard navigation and the error box work as in the main loop. The
    // program's quit stops the job and stays queued until the print command has returned.
    const TSpoolingLoop& loop = printer_.loop_;
    const auto ending = [&loop] { return QuitWaiting() || (loop.terminated && loop.terminated()); };
    while (!ending() && loop.processMessage && loop.processMessage()) {
    }
    if (ending()) aborted_ = true;
    return !aborted_;
}

void TPrintJob::Unregister() noexcept {
    running_ = false;
    printer_.job_ = nullptr;
    auto& jobs = RunningJobs();
    jobs.erase(
        std::remove_if(jobs.begin(), jobs.end(), [this](const auto& job) { return job.second == this; }),
        jobs.end());
}

void TPrintJob::Drop() noexcept {
    if (!running_) return;
    ::AbortDoc(dc_);
    Unregister();
    printer_.context_ = {}; // the next job starts on a fresh device context
}

void TPrintJob::Check(int result) {
    if (result > 0) return;
    const bool ending = aborted_;
    Drop();
    if (ending) throw EAbort();
    throw EPrinter(kFailed);
}

void TPrintJob::NextPage() {
    if (!running_) throw EPrinter(kNotPrinting);
    Check(::EndPage(dc_));
    Check(::StartPage(dc_));
    printer_.canvas_.Refresh();
}

void TPrintJob::Finish() {
    if (!running_) throw EPrinter(kNotPrinting);
    Check(::EndPage(dc_));
    if (aborted_) {
        Drop(); // the platform drops the job instead of leaving its document open
        return;
    }
    Check(::EndDoc(dc_));
    Unregister();
}

// TPrinterCanvas

void TPrinterCanvas::UpdateFont() {
    const int ppi = ::GetDeviceCaps(Printer.Handle(), LOGPIXELSY);
    if (ppi == FontPixelsPerInch) return;
    const int points = -::MulDiv(Font.height, 72, FontPixelsPerInch);
    FontPixelsPerInch = ppi;
    Font.height = -::MulDiv(points, ppi, 72);
}

void TPrinterCanvas::Refresh() {
    selectedPixelsPerInch_ = 0; // select everything again at the next use
}

HDC TPrinterCanvas::Handle() {
    if (!Printer.Printing()) throw EPrinter(kNotPrinting);
    UpdateFont();
    HDC dc = Printer.Handle();
    if (!font_ || selectedPixelsPerInch_ != FontPixelsPerInch || !(selectedFont_ == Font)) {
        win::UniqueFont fresh(win::CreateFontOf(Font));
        ::SelectObject(dc, fresh.get());
        font_ = std::move(fresh);
        selectedFont_ = Font;
        selectedPixelsPerInch_ = FontPixelsPerInch;
        // The editor's text takes the window-text colour, which a light-on-dark scheme makes
        // white: on paper that is black. Colours of the document's own are printed as they are.
        ::SetTextColor(dc, Font.color == clWindowText ? RGB(0, 0, 0) : win::ColorToRGB(Font.color));
        ::SetBkMode(dc, TRANSPARENT);
    }
    return dc;
}

} // namespace dodir
