#include "ui/application.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "wine_support.h"

using namespace dodir;
using dodir::testing::BoxWatcher;
using dodir::testing::TestApplication;

TEST(ErrorBox, ShowsTheMessageWithAPeriodAndTheApplicationTitle) {
    BoxWatcher box({BoxWatcher::ErrorBox()});
    TestApplication().HandleException(std::make_exception_ptr(EConvertError("'abc' は整数ではありません")));
    ASSERT_EQ(box.Seen().size(), 1u);
    EXPECT_EQ(box.Seen()[0].caption, "ミルテ");
    EXPECT_EQ(box.Seen()[0].text, "'abc' は整数ではありません.");
}

TEST(ErrorBox, AbortIsSilent) {
    BoxWatcher none;
    const auto start = ::GetTickCount();
    TestApplication().HandleException(std::make_exception_ptr(EAbort()));
    EXPECT_LT(::GetTickCount() - start, 1000u);
    EXPECT_TRUE(none.Seen().empty());
}

TEST(ErrorBox, CancelsMouseCaptureAndDisablesOtherWindowsWhileUp) {
    HWND w = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    ::SetCapture(w);
    ASSERT_EQ(::GetCapture(), w);
    BoxWatcher box({BoxWatcher::ErrorBox()}, [w] { return !::IsWindowEnabled(w); });
    TestApplication().HandleException(std::make_exception_ptr(Exception("x")));
    ASSERT_EQ(box.Texts(), std::vector<std::string>{"x."});
    EXPECT_TRUE(box.Seen()[0].probe) << "the other window stayed enabled";
    EXPECT_TRUE(::IsWindowEnabled(w));
    EXPECT_NE(::GetCapture(), w);
    ::DestroyWindow(w);
}

TEST(ErrorBox, AReporterRegisteredAfterTheApplicationTakesTheErrorsWhileItLives) {
    int reported = 0;
    {
        win::ErrorReporterRegistration mine([&reported](std::exception_ptr) { ++reported; });
        win::ReportError(std::make_exception_ptr(Exception("mine")));
    }
    EXPECT_EQ(reported, 1);
    BoxWatcher box({BoxWatcher::ErrorBox()});
    win::ReportError(std::make_exception_ptr(Exception("the application's")));
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"the application's."});
}
