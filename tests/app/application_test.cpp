#include "ui/application.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "wine_support.h"

using namespace dodir;

TEST(ErrorBox, ShowsTheMessageWithAPeriodAndTheApplicationTitle) {
    dodir::testing::MessageBoxWatcher box;
    Application().HandleException(std::make_exception_ptr(EConvertError("'abc' は整数ではありません")));
    EXPECT_EQ(box.Caption(), "ミルテ");
    EXPECT_EQ(box.Text(), "'abc' は整数ではありません.");
}

TEST(ErrorBox, AbortIsSilent) {
    dodir::testing::MessageBoxWatcher box;
    const auto start = ::GetTickCount();
    Application().HandleException(std::make_exception_ptr(EAbort()));
    EXPECT_LT(::GetTickCount() - start, 1000u);
    EXPECT_EQ(box.Text(), "");
}

TEST(ErrorBox, CancelsMouseCapture) {
    HWND w = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    ::SetCapture(w);
    ASSERT_EQ(::GetCapture(), w);
    dodir::testing::MessageBoxWatcher box;
    Application().HandleException(std::make_exception_ptr(Exception("x")));
    EXPECT_EQ(box.Text(), "x.");
    EXPECT_NE(::GetCapture(), w);
    ::DestroyWindow(w);
}

TEST(ErrorBox, OtherWindowsAreDisabledWhileItIsUp) {
    HWND w = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    bool disabledDuring = false;
    std::thread probe([&] {
        for (int i = 0; i < 200 && !disabledDuring; ++i) {
            disabledDuring = !::IsWindowEnabled(w);
            ::Sleep(10);
        }
    });
    {
        dodir::testing::MessageBoxWatcher box;
        ::Sleep(0);
        Application().ShowErrorBox("wait");
    }
    probe.join();
    EXPECT_TRUE(disabledDuring);
    EXPECT_TRUE(::IsWindowEnabled(w));
    ::DestroyWindow(w);
}
