// Runs the in-process tests with the program's application object in place.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/application.h"
#include "base/win/window.h"
#include "wine_support.h"

namespace dodir::testing {

void MessageBoxWatcher::Watch() {
    const auto end = ::GetTickCount() + 10000;
    while (::GetTickCount() < end) {
        HWND found = nullptr;
        ::EnumThreadWindows(
            thread_,
            [](HWND wnd, LPARAM lp) -> BOOL {
                char cls[64]{};
                ::GetClassNameA(wnd, cls, sizeof cls);
                // The platform's message box, told from other dialogs by its caption.
                if (std::string(cls) == "#32770" && ::IsWindowVisible(wnd) &&
                    dodir::win::GetWindowTextString(wnd) == dodir::Application().Title()) {
                    *reinterpret_cast<HWND*>(lp) = wnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (found) {
            caption_ = win::GetWindowTextString(found);
            // The message text is the box's static control with the id 0xFFFF.
            HWND label = ::GetDlgItem(found, 0xFFFF);
            char buf[1024]{};
            if (label) ::SendMessageA(label, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
            text_ = buf;
            ::Sleep(150); // long enough for a test to look at the box while it is up
            ::PostMessageA(found, WM_COMMAND, static_cast<WPARAM>(button_), 0);
            return;
        }
        if (stop_) return;
        ::Sleep(20);
    }
}

namespace {
HWND FindVisibleWindow(DWORD thread, const std::string& cls, HWND skip) {
    struct Ctx {
        const std::string* cls;
        HWND skip;
        HWND found;
    } ctx{&cls, skip, nullptr};
    ::EnumThreadWindows(
        thread,
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            char name[64]{};
            ::GetClassNameA(wnd, name, sizeof name);
            if (*c->cls == name && wnd != c->skip && ::IsWindowVisible(wnd) && ::IsWindowEnabled(wnd)) {
                c->found = wnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}
} // namespace

DialogAnswerer::DialogAnswerer(std::vector<Step> steps) : steps_(std::move(steps)) {
    worker_ = std::thread([this] { Run(); });
}

DialogAnswerer::~DialogAnswerer() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

int DialogAnswerer::Finish() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    return answered_;
}

void DialogAnswerer::Run() {
    HWND previous = nullptr;
    for (const auto& step : steps_) {
        HWND found = nullptr;
        const DWORD end = ::GetTickCount() + 10000;
        while (!found && ::GetTickCount() < end) {
            found = FindVisibleWindow(thread_, step.windowClass, previous);
            if (!found) {
                if (stop_) return;
                ::Sleep(20);
            }
        }
        if (!found) return;
        ::Sleep(100); // let the box finish its start-up
        char buf[1024]{};
        if (HWND label = ::GetDlgItem(found, 0xFFFF))
            ::SendMessageA(label, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
        texts.push_back(buf);
        step.act(found);
        ++answered_;
        for (int i = 0; i < 250 && ::IsWindow(found) && ::IsWindowVisible(found); ++i) ::Sleep(20);
        previous = ::IsWindow(found) ? found : nullptr;
    }
}

std::function<void(HWND)> DialogAnswerer::Press(int id) {
    return [id](HWND wnd) { ::PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
}

std::function<void(HWND)> DialogAnswerer::ChooseFile(const std::string& path) {
    return [path](HWND dialog) {
        // The Explorer-style dialog's name box is a combo box (cmb13) or an edit (edt1).
        HWND name = ::GetDlgItem(dialog, 0x47c);
        if (!name) name = ::GetDlgItem(dialog, 0x480);
        ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
}

} // namespace dodir::testing

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    ::testing::InitGoogleTest(&argc, argv);
    dodir::TApplication application;
    application.SetTitle("ミルテ");
    return RUN_ALL_TESTS();
}
