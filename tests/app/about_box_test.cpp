#include "about/about_box.h"

#include <gtest/gtest.h>

#include "ui/application.h"
#include "base/win/window.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

class AboutBoxTest : public ::testing::Test {
  protected:
    void SetUp() override { Pump(); }
    RECT Frame() const { return FrameOf(box_->Handle()); }
    ShownForm1 form_;
    TAboutBox* box_ = form_->AboutBox.get();
};

} // namespace

TEST_F(AboutBoxTest, CreatedHiddenWithItsFrameAndControls) {
    EXPECT_EQ(TestApplication().MainForm(), &*form_); // made after the main window
    EXPECT_FALSE(::IsWindowVisible(box_->Handle()));
    EXPECT_EQ(win::GetWindowTextString(box_->Handle()), "バージョン情報");
    RECT client{};
    ::GetClientRect(box_->Handle(), &client);
    EXPECT_EQ(client.right, 448);
    EXPECT_EQ(client.bottom, 364);
    EXPECT_EQ(::GetWindow(box_->Handle(), GW_OWNER), TestApplication().Handle());
    const RECT ok = RectIn(box_->Handle(), box_->OKButton->Handle());
    EXPECT_EQ(ok.left, 359);
    EXPECT_EQ(ok.top, 332);
    EXPECT_EQ(ok.right - ok.left, 75);
    EXPECT_EQ(ok.bottom - ok.top, 25);
    EXPECT_EQ(::GetWindowLongPtrA(box_->OKButton->Handle(), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    EXPECT_EQ(win::GetWindowTextString(box_->OKButton->Handle()), "OK");
    const RECT panel = RectIn(box_->Handle(), box_->Panel1());
    EXPECT_EQ(panel.left, 8);
    EXPECT_EQ(panel.top, 8);
    EXPECT_EQ(panel.right - panel.left, 433);
    EXPECT_EQ(panel.bottom - panel.top, 321);
}

TEST_F(AboutBoxTest, FirstShowingCentresThenItStaysWhereItWasLeft) {
    box_->Show();
    Pump();
    ASSERT_TRUE(::IsWindowVisible(box_->Handle()));
    RECT r = Frame();
    const int width = r.right - r.left, height = r.bottom - r.top;
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    ::SetWindowPos(box_->Handle(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    box_->OKButtonClick();
    EXPECT_FALSE(::IsWindowVisible(box_->Handle()));
    box_->Show();
    r = Frame();
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
}

TEST_F(AboutBoxTest, EnterPressesOKAndEscapeDoesNothing) {
    box_->Show();
    Pump();
    ASSERT_EQ(::GetFocus(), box_->OKButton->Handle());
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(::IsWindowVisible(box_->Handle()));
    PressKey(VK_RETURN);
    EXPECT_FALSE(::IsWindowVisible(box_->Handle()));
}

TEST_F(AboutBoxTest, CloseHidesAndShowingAgainReusesTheWindow) {
    box_->Show();
    HWND same = box_->Handle();
    ::SendMessageA(same, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(same));
    EXPECT_FALSE(::IsWindowVisible(same));
    form_->ToolButton17Click();
    EXPECT_TRUE(::IsWindowVisible(same));
    form_->ToolButton17Click(); // a second click only brings it to the front
    EXPECT_TRUE(::IsWindowVisible(same));
    EXPECT_EQ(box_->Handle(), same);
}

TEST_F(AboutBoxTest, ClosingActivatesTheNextWindowInZOrder) {
    ::SetForegroundWindow(form_->Handle());
    Pump();
    form_->FindDialog1->Execute();
    Pump();
    HWND find = ::GetActiveWindow();
    ASSERT_NE(find, form_->Handle());
    box_->Show();
    Pump();
    ASSERT_EQ(::GetActiveWindow(), box_->Handle());
    box_->OKButtonClick();
    Pump();
    EXPECT_EQ(::GetActiveWindow(), find);
    ::SendMessageA(find, WM_CLOSE, 0, 0);
    Pump();
    box_->Show();
    Pump();
    box_->OKButtonClick();
    Pump();
    EXPECT_EQ(::GetActiveWindow(), form_->Handle());
}
