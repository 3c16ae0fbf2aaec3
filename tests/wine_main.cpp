// Runs the in-process tests with the program's application object in place.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/application.h"
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
                if (std::string(cls) == "#32770" && ::IsWindowVisible(wnd)) {
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

} // namespace dodir::testing

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    ::testing::InitGoogleTest(&argc, argv);
    dodir::TApplication application;
    application.SetTitle("ミルテ");
    return RUN_ALL_TESTS();
}
