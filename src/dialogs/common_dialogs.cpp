#include "dialogs/common_dialogs.h"

#include <dlgs.h>

#include <algorithm>
#include <cstring>

#include "base/errors.h"
#include "base/win/font.h"

namespace dodir {

namespace {

constexpr const char* kDialogProp = "dodir.dialog";

template <class T> T* DialogOf(HWND wnd) { return static_cast<T*>(::GetPropA(wnd, kDialogProp)); }

} // namespace

UINT FindReplaceMessage() {
    static const UINT message = ::RegisterWindowMessageA(FINDMSGSTRINGA);
    return message;
}

// Open and save

TOpenDialog::TOpenDialog(TDialogHost host, std::string initialName)
    : TCommonDialog(std::move(host)), FileName(std::move(initialName)) {}

UINT_PTR CALLBACK TOpenDialog::Hook(HWND child, UINT msg, WPARAM, LPARAM lParam) {
    return win::Guard(
        [&]() -> UINT_PTR {
            // The Explorer-style dialog's hook sees a child of the dialog window.
            if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_INITDONE) {
                const auto* self = reinterpret_cast<const TOpenDialog*>(
                    reinterpret_cast<OFNOTIFYA*>(lParam)->lpOFN->lCustData);
                self->PlaceOnActiveMonitor(::GetParent(child));
            }
            return 0;
        },
        UINT_PTR{0});
}

bool TOpenDialog::Execute() {
    std::string filter = Filter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.push_back('\0');
    char name[kNameBufferSize]{};
    std::memcpy(name, FileName.data(), std::min(FileName.size(), kNameBufferSize - 1));

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Owner();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = name;
    ofn.nMaxFile = kNameBufferSize;
    // No OFN_OVERWRITEPROMPT, no must-exist flags, no default extension: a name comes
    // back as typed.
    ofn.Flags = OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
    ofn.lpfnHook = &TOpenDialog::Hook;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);

    bool confirmed;
    {
        win::TaskWindowsDisabled disabled;
        confirmed = RunPlatformDialog(ofn);
    }
    if (!confirmed) return false;
    FileName = std::string(name, ::strnlen(name, sizeof name));
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

// Find and replace

// The find and replace dialogs' owner: a hidden pop-up that receives their notifications.
class TRedirectorWindow : public win::TWindow {
  public:
    TRedirectorWindow(HWND owner, TFindDialog& dialog) : dialog_(dialog) {
        RegisterWindowClass("TRedirectorWindow", 0, nullptr, nullptr);
        CreateHandle(0, "TRedirectorWindow", "", WS_POPUP, 0, 0, 0, 0, owner, nullptr);
    }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == FindReplaceMessage()) {
            dialog_.Notify(*reinterpret_cast<const FINDREPLACEA*>(lParam));
            return 0;
        }
        return DefaultHandler(msg, wParam, lParam);
    }

  private:
    TFindDialog& dialog_;
};

TFindDialog::TFindDialog(TDialogHost host) : TCommonDialog(std::move(host)) {}

void TFindDialog::SetFindText(const std::string& text) {
    std::memset(findBuffer_, 0, sizeof findBuffer_);
    std::memcpy(findBuffer_, text.data(), std::min(text.size(), sizeof findBuffer_ - 1));
    if (handle_) ::SetDlgItemTextA(handle_, edt1, findBuffer_);
}

void TReplaceDialog::SetReplaceText(const std::string& text) {
    std::memset(replaceBuffer_, 0, sizeof replaceBuffer_);
    std::memcpy(replaceBuffer_, text.data(), std::min(text.size(), sizeof replaceBuffer_ - 1));
    if (handle_) ::SetDlgItemTextA(handle_, edt2, replaceBuffer_);
}

bool TFindDialog::Execute() {
    if (handle_ && ::IsWindow(handle_)) {
        ::BringWindowToTop(handle_);
        return true;
    }
    record_ = FINDREPLACEA{};
    record_.lStructSize = sizeof record_;
    record_.Flags = FR_ENABLEHOOK;
    if (Options & frDown) record_.Flags |= FR_DOWN;
    if (Options & frMatchCase) record_.Flags |= FR_MATCHCASE;
    if (Options & frWholeWord) record_.Flags |= FR_WHOLEWORD;
    record_.lpstrFindWhat = findBuffer_;
    record_.wFindWhatLen = kBufferSize;
    record_.lpstrReplaceWith = replaceBuffer_;
    record_.wReplaceWithLen = kBufferSize;
    record_.lpfnHook = &TFindDialog::Hook;
    retiredRelay_.reset();
    record_.lCustData = reinterpret_cast<LPARAM>(this);
    relay_ = std::make_unique<TRedirectorWindow>(ActiveForm(), *this);
    record_.hwndOwner = relay_->Handle();
    record_.hInstance = ::GetModuleHandleA(nullptr);
    handle_ = CreatePlatformDialog(record_);
    if (!handle_) {
        relay_.reset();
        return false;
    }
    return true;
}

void TFindDialog::CloseDialog() {
    if (handle_ && ::IsWindow(handle_)) ::SendMessageA(handle_, WM_COMMAND, IDCANCEL, 0);
}

void TFindDialog::Notify(const FINDREPLACEA& record) {
    Options = 0;
    if (record.Flags & FR_DOWN) Options |= frDown;
    if (record.Flags & FR_WHOLEWORD) Options |= frWholeWord;
    if (record.Flags & FR_MATCHCASE) Options |= frMatchCase;
    if (record.Flags & FR_FINDNEXT) Options |= frFindNext;
    if (record.Flags & FR_REPLACE) Options |= frReplace;
    if (record.Flags & FR_REPLACEALL) Options |= frReplaceAll;
    if (record.Flags & FR_FINDNEXT) {
        if (OnFind) OnFind(*this);
    } else if (record.Flags & (FR_REPLACE | FR_REPLACEALL)) {
        RaiseReplace();
    } else if (record.Flags & FR_DIALOGTERM) {
        if (handle_) {
            RECT r{};
            ::GetWindowRect(handle_, &r);
            position_ = POINT{r.left, r.top};
            ModelessActive(handle_, false);
        }
        handle_ = nullptr;
        // The relay is in the middle of delivering this notification: it is destroyed at
        // the next opening or with the dialog component.
        retiredRelay_ = std::move(relay_);
    }
}

UINT_PTR CALLBACK TFindDialog::Hook(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    return win::Guard(
        [&]() -> UINT_PTR {
            switch (msg) {
            case WM_INITDIALOG: {
                auto* self =
                    reinterpret_cast<TFindDialog*>(reinterpret_cast<FINDREPLACEA*>(lParam)->lCustData);
                ::SetPropA(dialog, kDialogProp, self);
                self->PlaceOnActiveMonitor(dialog);
                if (self->position_.x != -1 || self->position_.y != -1)
                    ::SetWindowPos(dialog, nullptr, self->position_.x, self->position_.y, 0, 0,
                                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                return TRUE;
            }
            case WM_ACTIVATE: {
                // While active, the loop gives the dialog its Tab, Enter and Esc.
                if (auto* self = DialogOf<TFindDialog>(dialog))
                    self->ModelessActive(dialog, LOWORD(wParam) != WA_INACTIVE);
                return FALSE;
            }
            case WM_DESTROY:
                if (auto* self = DialogOf<TFindDialog>(dialog)) self->ModelessActive(dialog, false);
                ::RemovePropA(dialog, kDialogProp);
                return FALSE;
            default:
                return FALSE;
            }
        },
        UINT_PTR{0});
}

// Font

bool TFontDialog::Execute() {
    LOGFONTA lf = win::LogFontOf(Font);

    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = Owner();
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK | CF_APPLY;
    if (MaxFontSize >= MinFontSize) {
        cf.Flags |= CF_LIMITSIZE;
        cf.nSizeMin = MinFontSize;
        cf.nSizeMax = MaxFontSize;
    }
    cf.rgbColors = win::ColorToRGB(Font.color);
    cf.lpfnHook = &TFontDialog::Hook;
    cf.lCustData = reinterpret_cast<LPARAM>(this);
    colourChanged_ = false;
    scriptChanged_ = false;
    const std::string openedFace = Font.name;

    bool confirmed;
    {
        win::TaskWindowsDisabled disabled;
        confirmed = ::ChooseFontA(&cf) != FALSE;
    }
    handle_ = nullptr;
    if (!confirmed) return false;
    TakeFaceHeightAndStyle(lf);
    if (lstrcmpiA(openedFace.c_str(), lf.lfFaceName) != 0 || scriptChanged_) Font.charset = lf.lfCharSet;
    if (colourChanged_) Font.color = cf.rgbColors;
    return true;
}

void TFontDialog::TakeFaceHeightAndStyle(const LOGFONTA& lf) {
    Font.name = lf.lfFaceName;
    Font.height = lf.lfHeight;
    Font.bold = lf.lfWeight > FW_NORMAL;
    Font.italic = lf.lfItalic != 0;
    Font.underline = lf.lfUnderline != 0;
    Font.strikeout = lf.lfStrikeOut != 0;
}

void TFontDialog::Apply(HWND dialog) {
    LOGFONTA lf{};
    ::SendMessageA(dialog, WM_CHOOSEFONT_GETLOGFONT, 0, reinterpret_cast<LPARAM>(&lf));
    TakeFaceHeightAndStyle(lf);
    if (scriptChanged_) Font.charset = lf.lfCharSet;
    HWND colours = ::GetDlgItem(dialog, cmb4);
    if (colours) {
        const auto at = ::SendMessageA(colours, CB_GETCURSEL, 0, 0);
        if (at >= 0)
            Font.color = static_cast<TColor>(::SendMessageA(colours, CB_GETITEMDATA, at, 0)) & 0xFFFFFF;
    }
    if (OnApply) OnApply(*this, dialog);
}

UINT_PTR CALLBACK TFontDialog::Hook(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    return win::Guard(
        [&]() -> UINT_PTR {
            if (msg == WM_INITDIALOG) {
                auto* self =
                    reinterpret_cast<TFontDialog*>(reinterpret_cast<CHOOSEFONTA*>(lParam)->lCustData);
                ::SetPropA(dialog, kDialogProp, self);
                self->handle_ = dialog;
                self->PlaceOnActiveMonitor(dialog);
                return TRUE;
            }
            if (msg == WM_DESTROY) {
                ::RemovePropA(dialog, kDialogProp);
                return FALSE;
            }
            if (msg != WM_COMMAND) return FALSE;
            auto* self = DialogOf<TFontDialog>(dialog);
            if (!self) return FALSE;
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == cmb4 && code == CBN_SELCHANGE) self->colourChanged_ = true;
            if (id == cmb5 && code == CBN_SELCHANGE) self->scriptChanged_ = true;
            if (id == psh3 && code == BN_CLICKED) {
                // Apply is handled here and not passed on; the dialog stays open and an
                // error from the handler goes to the error box.
                try {
                    self->Apply(dialog);
                } catch (...) {
                    self->ReportError(std::current_exception());
                }
                return TRUE;
            }
            return FALSE;
        },
        UINT_PTR{0});
}

} // namespace dodir
