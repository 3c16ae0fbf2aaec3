#include "printing/print_dialog.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/win/window.h"
#include "printing/printer.h"

namespace dodir {

namespace {
// A movable memory block the print dialog takes and may replace.
struct GlobalBlock {
    HGLOBAL h = nullptr;
    GlobalBlock() = default;
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    ~GlobalBlock() {
        if (h) ::GlobalFree(h);
    }
    static HGLOBAL Of(const void* bytes, std::size_t size) {
        HGLOBAL h = ::GlobalAlloc(GHND, size);
        if (h) {
            std::memcpy(::GlobalLock(h), bytes, size);
            ::GlobalUnlock(h);
        }
        return h;
    }
};

// The names of a printer as the dialog takes them: offsets into one block of strings.
std::vector<char> DevNamesOf(const TPrinterDevice& p) {
    std::vector<char> block(sizeof(DEVNAMES));
    auto add = [&](const std::string& text) {
        const auto at = static_cast<WORD>(block.size());
        block.insert(block.end(), text.begin(), text.end());
        block.push_back('\0');
        return at;
    };
    DEVNAMES names{};
    names.wDriverOffset = add(p.driver);
    names.wDeviceOffset = add(p.device);
    names.wOutputOffset = add(p.port);
    std::memcpy(block.data(), &names, sizeof names);
    return block;
}
} // namespace

bool TPrintDialog::Execute() {
    const std::vector<char> names = DevNamesOf(printer_.CurrentPrinter());
    const std::vector<BYTE>& settings = printer_.DeviceSettings();

    GlobalBlock devNames, devMode;
    devNames.h = GlobalBlock::Of(names.data(), names.size());
    if (!settings.empty()) devMode.h = GlobalBlock::Of(settings.data(), settings.size());
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = Owner();
    pd.hDevNames = devNames.h;
    pd.hDevMode = devMode.h;
    pd.Flags = PD_ALLPAGES | PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK | PD_HIDEPRINTTOFILE | PD_NOPAGENUMS |
               PD_NOSELECTION | PD_NOWARNING;
    pd.lpfnPrintHook = &TPrintDialog::Hook;
    // The printer setup dialog opened from it keeps the platform's own placement.
    pd.lpfnSetupHook = &TPrintDialog::SetupHook;
    pd.lCustData = reinterpret_cast<LPARAM>(this);

    bool confirmed;
    {
        win::TaskWindowsDisabled disabled;
        confirmed = RunPlatformDialog(pd);
    }
    // The dialog may have put blocks of its own in place of those it was given.
    devNames.h = pd.hDevNames;
    devMode.h = pd.hDevMode;
    if (!confirmed) return false;

    if (devNames.h) {
        const auto* base = static_cast<const char*>(::GlobalLock(devNames.h));
        const auto* n = reinterpret_cast<const DEVNAMES*>(base);
        const TPrinterDevice chosen{base + n->wDriverOffset, base + n->wDeviceOffset,
                                    base + n->wOutputOffset};
        ::GlobalUnlock(devNames.h);
        const auto* mode = devMode.h ? static_cast<const DEVMODEA*>(::GlobalLock(devMode.h)) : nullptr;
        try {
            printer_.SetPrinter(chosen, mode);
        } catch (...) {
            if (mode) ::GlobalUnlock(devMode.h);
            throw;
        }
        if (mode) ::GlobalUnlock(devMode.h);
    }
    // A count of 1 leaves the printer's own copies setting.
    printer_.SetCopies(pd.nCopies == 1 ? printer_.Copies() : pd.nCopies);
    return true;
}

UINT_PTR CALLBACK TPrintDialog::SetupHook(HWND, UINT, WPARAM, LPARAM) { return 0; }

UINT_PTR CALLBACK TPrintDialog::Hook(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
    return win::Guard(
        [&]() -> UINT_PTR {
            if (msg == WM_INITDIALOG) {
                auto* self = reinterpret_cast<TPrintDialog*>(reinterpret_cast<PRINTDLGA*>(lParam)->lCustData);
                self->PlaceOnActiveMonitor(dialog);
                return TRUE;
            }
            return FALSE;
        },
        UINT_PTR{0});
}

} // namespace dodir
