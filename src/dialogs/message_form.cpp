#include "dialogs/message_form.h"

#include <map>
#include <vector>

#include "ui/application.h"

namespace dodir {

namespace {

constexpr const char* kClassName = "TMessageForm";

// Caption widths of the button kinds, measured once per run for each message font height
// (one a resolution).
ButtonWidthCache& ProcessButtonWidths(LONG fontHeight) {
    static std::map<LONG, ButtonWidthCache> caches;
    return caches[fontHeight];
}

// The platform's message font for a box beside a window (none: the system's), measured for that
// window's monitor where it has another resolution than the system's; the default GUI font
// when the platform gives none.
LOGFONTA MessageFont(HWND beside) {
    LOGFONTA font{};
    const int dpi = beside ? win::WindowDpi(beside) : 0;
    if (dpi > 0 && dpi != win::SystemMetricsDpi() && win::MessageFontForDpi(dpi, font)) return font;
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = metrics.lfMessageFont;
    else
        ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
}

// The application title as its hidden main window carries it, at most 255 bytes.
std::string ApplicationTitle(const TApplication& app) {
    char title[256]{};
    ::GetWindowTextA(app.Handle(), title, sizeof title);
    return title;
}

// The letter after the caption's "&" marker, or 0 when it has none.
char AcceleratorOf(const char* caption) {
    // "&" (0x26) is never the trail byte of a double-byte character.
    for (const char* p = caption; *p != '\0'; ++p) {
        if (*p != '&') continue;
        if (p[1] == '&') {
            ++p;
            continue;
        }
        return p[1];
    }
    return 0;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool KeyDown(int vk) { return ::GetKeyState(vk) < 0; }

// The default arrow while the box is up; the cursor before it afterwards.
class ArrowCursorScope {
  public:
    ArrowCursorScope()
        : previous_(::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)))) {}
    ArrowCursorScope(const ArrowCursorScope&) = delete;
    ArrowCursorScope& operator=(const ArrowCursorScope&) = delete;
    ~ArrowCursorScope() { ::SetCursor(previous_); }

  private:
    HCURSOR previous_;
};

} // namespace

int TMessageForm::ButtonId(MessageButton button) {
    const int result = InfoOf(button).result;
    return result != kResultNone ? result : kHelpButtonId;
}

TMessageForm::TMessageForm(TApplication& app, const std::string& text, MessageKind kind,
                           MessageButtons buttons)
    : TCustomForm(app), text_(text), kind_(kind), buttons_(buttons) {
    RegisterWindowClass(kClassName, CS_DBLCLKS, ::GetSysColorBrush(COLOR_BTNFACE), nullptr);
    // Sized once the layout is known, which needs the window to measure with.
    CreateDialogFrame(kClassName, "", {0, 0}, {0, 0});

    // Laid out for the monitor it appears on, that of the program's active window.
    const LOGFONTA font = MessageFont(::GetActiveWindow());
    font_.reset(::CreateFontIndirectA(&font));
    {
        win::WindowDc dc(Handle());
        win::SelectObjectScope selected(dc.get(), font_.get());
        DcMessageMeasure measure(dc.get());
        layout_ = LayoutMessageBox(text_, kind_, buttons_, ::GetSystemMetrics(SM_CXSCREEN), measure,
                                   ProcessButtonWidths(font.lfHeight));
    }
    MakeClientSize(layout_.clientWidth, layout_.clientHeight);
    const TRect frame = win::WindowBounds(Handle());
    const MessagePoint at = BuildPosition({::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)},
                                          {frame.Width(), frame.Height()});
    ::SetWindowPos(Handle(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowTextA(Handle(), MessageCaption(kind_, ApplicationTitle(app)).c_str());
    CreateParts();
}

TMessageForm::~TMessageForm() {
    for (auto& button : buttonControls_) button.reset();
    message_.reset();
    image_.reset();
}

void TMessageForm::CreateParts() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HFONT font = font_.get();
    if (layout_.hasIcon) {
        const MessageRect& r = layout_.icon;
        image_.reset(::CreateWindowExA(
            0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ICON, r.left, r.top, r.width, r.height, Handle(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kImageId)), instance, nullptr));
        // Stock icons are shared: nobody destroys them.
        HICON icon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(InfoOf(kind_).iconId));
        ::SendMessageA(image_.get(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        // Setting the icon sizes the control to it; the picture is 32 x 32 whatever it holds.
        ::SetWindowPos(image_.get(), nullptr, r.left, r.top, r.width, r.height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // SS_LEFT wraps at word breaks and draws "&" as an underline under the next letter,
    // as the measuring DrawTextA call did.
    const MessageRect& t = layout_.text;
    message_.reset(::CreateWindowExA(
        0, "STATIC", text_.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, t.left, t.top, t.width, t.height,
        Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMessageId)), instance, nullptr));
    ::SendMessageA(message_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    std::vector<HWND> tabOrder;
    for (const auto& placement : layout_.buttons) {
        const MessageRect& b = placement.bounds;
        const MessageButton kind = placement.button;
        auto button = std::make_unique<TButton>(Handle(), ButtonId(kind),
                                                RECT{b.left, b.top, b.left + b.width, b.top + b.height},
                                                InfoOf(kind).caption, font, placement.isDefault);
        // BN_SETFOCUS and BN_KILLFOCUS let the focused button wear the default frame.
        HWND wnd = button->Handle();
        ::SetWindowLongPtrA(wnd, GWL_STYLE, ::GetWindowLongPtrA(wnd, GWL_STYLE) | BS_NOTIFY);
        // A posted IDOK, IDYES ... (no control handle) presses its button too, as it would in
        // the platform's box.
        OnCommand(ButtonId(kind), BN_CLICKED, [this, kind] { Press(kind); });
        OnCommand(ButtonId(kind), BN_SETFOCUS, [this, wnd] { ShowFocusAsDefault(wnd); });
        OnCommand(ButtonId(kind), BN_KILLFOCUS, [this] { ShowFocusAsDefault(nullptr); });
        tabOrder.push_back(wnd);
        buttonControls_[static_cast<std::size_t>(kind)] = std::move(button);
    }
    SetTabOrder(tabOrder);
    // The first button in tab order takes the focus when the box becomes active.
    if (!tabOrder.empty()) SetActiveControl(tabOrder.front());
}

HWND TMessageForm::ButtonHandle(MessageButton button) const {
    const auto& control = buttonControls_.at(static_cast<std::size_t>(button));
    return control ? control->Handle() : nullptr;
}

HWND TMessageForm::DefaultButton() const { return ButtonHandle(DefaultButtonOf(buttons_)); }

bool TMessageForm::FindButton(HWND wnd, MessageButton& found) const {
    if (!wnd) return false;
    for (const auto& info : MessageButtonTable())
        if (ButtonHandle(info.button) == wnd) {
            found = info.button;
            return true;
        }
    return false;
}

void TMessageForm::Press(MessageButton button) {
    // A Help button never closes the box; there is no help to open.
    const int result = InfoOf(button).result;
    if (result != kResultNone) modalResult_ = result;
}

void TMessageForm::CopyToClipboard() {
    ::MessageBeep(0);
    win::ClipboardScope clipboard(Handle());
    clipboard.SetText(MessageClipboardText(Caption(), text_, buttons_));
}

bool TMessageForm::PressAccelerator(char letter) {
    if (letter == 0) return false;
    for (const auto& info : MessageButtonTable()) {
        HWND wnd = ButtonHandle(info.button);
        if (!wnd || !::IsWindowVisible(wnd) || !::IsWindowEnabled(wnd)) continue;
        const char accelerator = AcceleratorOf(info.caption);
        if (accelerator != 0 && AsciiUpper(accelerator) == AsciiUpper(letter)) {
            Press(info.button);
            return true;
        }
    }
    return false;
}

bool TMessageForm::DialogKey(const MSG& msg) {
    const bool ctrl = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT), alt = KeyDown(VK_MENU);
    switch (msg.message) {
    case WM_KEYDOWN:
        if (msg.wParam == 'C' && ctrl && !shift && !alt) {
            // The box stays open whatever the copy does; its error goes to the error box.
            try {
                CopyToClipboard();
            } catch (...) {
                Application().HandleException(std::current_exception());
            }
            return true;
        }
        if (msg.wParam == VK_RETURN && !ctrl && !alt) {
            MessageButton button{};
            if (FindButton(::GetFocus(), button) || FindButton(DefaultButton(), button)) Press(button);
            return true;
        }
        if (msg.wParam == VK_ESCAPE && !ctrl && !alt) {
            const MessageButton cancel = CancelButtonOf(buttons_);
            if (HasButton(cancel)) Press(cancel);
            return true;
        }
        return TCustomForm::DialogKey(msg);
    case WM_SYSKEYDOWN: {
        // Alt with a letter or digit key (the message's context bit says Alt is held; F10
        // alone has it clear). Those keys' codes are their capitals and digits; other codes
        // in that range (F1 to F12, the number pad) would read as small letters.
        const WPARAM vk = msg.wParam;
        const bool letterOrDigit = (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9');
        if ((HIWORD(msg.lParam) & KF_ALTDOWN) && !ctrl && letterOrDigit)
            return PressAccelerator(static_cast<char>(vk));
        return false;
    }
    case WM_CHAR:
        return PressAccelerator(static_cast<char>(msg.wParam));
    default:
        return false;
    }
}

void TMessageForm::ShowFocusAsDefault(HWND focused) {
    // The focused button is the one Enter presses, so it wears the default frame; with
    // the focus elsewhere the default button does.
    HWND marked = focused ? focused : DefaultButton();
    for (const auto& control : buttonControls_) {
        if (!control) continue;
        HWND wnd = control->Handle();
        const LONG_PTR type = ::GetWindowLongPtrA(wnd, GWL_STYLE) & BS_TYPEMASK;
        const LONG_PTR wanted = wnd == marked ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (type != wanted) ::SendMessageA(wnd, BM_SETSTYLE, static_cast<WPARAM>(wanted), TRUE);
    }
}

void TMessageForm::PlaceAtScreenCentre() {
    win::CentreOnMonitor(Handle(), win::PrimaryMonitor());
    // On another monitor than the application's active window, centre on that monitor.
    HWND active = ::GetActiveWindow();
    if (active && active != Handle()) {
        HMONITOR target = ::MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST);
        if (target != ::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST))
            win::CentreOnMonitor(Handle(), target);
    }
}

int TMessageForm::ShowModal() {
    PlaceAtScreenCentre();
    if (HWND capture = ::GetCapture()) ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
    ::ReleaseCapture();
    modalResult_ = kResultNone;
    {
        win::TaskWindowsDisabled disabled(Handle());
        ArrowCursorScope arrow;
        ::ShowWindow(Handle(), SW_SHOWNORMAL);
        ::SetForegroundWindow(Handle());
        TApplication& app = Application();
        while (modalResult_ == kResultNone) {
            if (app.Terminated()) {
                modalResult_ = kResultCancel;
                break;
            }
            if (!app.ProcessMessage() && modalResult_ == kResultNone && !app.Terminated()) ::WaitMessage();
        }
        // Leaving the scope enables the other windows and re-activates the one active before.
    }
    ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return modalResult_;
}

LRESULT TMessageForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        // Title bar, system menu, Alt+F4: the box ends with Cancel's result.
        modalResult_ = kResultCancel;
        return 0;
    case WM_DPICHANGED: {
        // Moved onto a monitor of another resolution: laid out for it already, the box keeps
        // its inside and takes the frame that monitor draws, at the corner suggested.
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        if (suggested)
            win::PlaceFrame(Handle(), {suggested->left, suggested->top},
                            {layout_.clientWidth, layout_.clientHeight}, HIWORD(wParam));
        return 0;
    }
    default:
        return TCustomForm::HandleMessage(msg, wParam, lParam);
    }
}

std::unique_ptr<TMessageForm> BuildMessageForm(TApplication& app, const std::string& text, MessageKind kind,
                                               MessageButtons buttons) {
    return std::make_unique<TMessageForm>(app, text, kind, buttons);
}

int ShowMessageForm(TApplication& app, const std::string& text, MessageKind kind, MessageButtons buttons) {
    const auto form = BuildMessageForm(app, text, kind, buttons);
    return form->ShowModal();
}

void ShowNotice(TApplication& app, const std::string& text) {
    ShowMessageForm(app, text, MessageKind::Custom, {MessageButton::OK});
}

} // namespace dodir
