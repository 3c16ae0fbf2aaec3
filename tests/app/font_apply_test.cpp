#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "app/form1.h"
#include "base/win/handles.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

class FontApplyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form_->Beep = [this] { ++beeps_; };
        TFont& font = form_->FontDialog1->Font;
        font.height = -24;
        font.bold = true;
        font.color = RGBColor(200, 0, 0);
    }
    void Apply() { form_->FontDialog1Apply(*form_->FontDialog1, nullptr); }
    // The font an edit box shows.
    static LOGFONTA FontOf(HWND edit) {
        LOGFONTA lf{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(edit, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        return lf;
    }
    static LONG FontHeightOf(HWND edit) { return FontOf(edit).lfHeight; }
    static int HeightOf(HWND wnd) { return FrameOf(wnd).bottom - FrameOf(wnd).top; }
    // The text colour the form gives an edit box to paint with.
    COLORREF TextColourOf(HWND edit) {
        win::WindowDc dc(edit);
        ::SendMessageA(form_->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
                       reinterpret_cast<LPARAM>(edit));
        return ::GetTextColor(dc.get());
    }

    ShownForm1 form_;
    int beeps_ = 0;
};

} // namespace

TEST_F(FontApplyTest, RightAfterStartUpTheFirstEditBoxTakesTheFont) {
    ASSERT_EQ(form_->ActiveControl(), form_->Edit1->Handle());
    Apply();
    EXPECT_EQ(FontHeightOf(form_->Edit1->Handle()), -24);
    EXPECT_EQ(FontHeightOf(form_->Edit2->Handle()), FontHeightOf(form_->Edit3->Handle()));
    EXPECT_EQ(beeps_, 0);
}

TEST_F(FontApplyTest, AnEditBoxTakesFontAndColourForAllItsTextAndRefitsItsHeight) {
    ::SetFocus(form_->Edit2->Handle());
    EXPECT_EQ(HeightOf(form_->Edit2->Handle()), 20);
    Apply();
    HWND edit = form_->Edit2->Handle();
    EXPECT_EQ(FontHeightOf(edit), -24);
    EXPECT_EQ(form_->Edit2->Text(), "255");
    EXPECT_EQ(TextColourOf(edit), RGB(200, 0, 0));
    EXPECT_EQ(TextColourOf(form_->Edit3->Handle()), ::GetSysColor(COLOR_WINDOWTEXT));
    TEXTMETRICA tm{};
    {
        win::WindowDc dc(edit);
        win::SelectObjectScope font(dc.get(),
                                    reinterpret_cast<HFONT>(::SendMessageA(edit, WM_GETFONT, 0, 0)));
        ::GetTextMetricsA(dc.get(), &tm);
    }
    EXPECT_EQ(HeightOf(edit), tm.tmHeight + 8 * ::GetSystemMetrics(SM_CYBORDER));
}

TEST_F(FontApplyTest, ARichEditTakesTheFontForItsSelectionOnly) {
    ::SetWindowTextA(form_->RichEdit1->Handle(), "plain bold");
    form_->RichEdit1->Focus();
    form_->RichEdit1->SetSelectionStart(6);
    form_->RichEdit1->SetSelectionLength(4);
    Apply();
    EXPECT_TRUE(FormatAt(*form_->RichEdit1, 7).dwEffects & CFE_BOLD);
    EXPECT_EQ(TextColorOf(FormatAt(*form_->RichEdit1, 7)), RGB(200, 0, 0));
    EXPECT_FALSE(FormatAt(*form_->RichEdit1, 2).dwEffects & CFE_BOLD);
    // One Apply is one step to undo: the whole font goes back at once.
    const CHARFORMATA plain = FormatAt(*form_->RichEdit1, 2);
    form_->RichEdit1->UndoLastEdit();
    const CHARFORMATA undone = FormatAt(*form_->RichEdit1, 7);
    EXPECT_FALSE(undone.dwEffects & CFE_BOLD);
    EXPECT_EQ(TextColorOf(undone), TextColorOf(plain));
    EXPECT_EQ(undone.yHeight, plain.yHeight);
    form_->RichEdit1->SetSelectionStart(6);
    form_->RichEdit1->SetSelectionLength(4);
    Apply();

    // The gutter when it is the active control; the editor stays as it is.
    form_->Gutter->RichEdit2->Lines.AddLine("1");
    ::SetFocus(form_->Gutter->RichEdit2->Handle());
    ::SendMessageA(form_->Gutter->RichEdit2->Handle(), EM_SETSEL, 0, 1);
    form_->FontDialog1->Font.bold = false;
    form_->FontDialog1->Font.italic = true;
    Apply();
    EXPECT_TRUE(SelectionFormat(form_->Gutter->RichEdit2->Handle()).dwEffects & CFE_ITALIC);
    EXPECT_FALSE(FormatAt(*form_->RichEdit1, 7).dwEffects & CFE_ITALIC);
    EXPECT_EQ(beeps_, 0);
}

TEST_F(FontApplyTest, AnyOtherControlOnlyBeeps) {
    form_->SelectNext(form_->Edit3->Handle(), true, true);   // Tab to Button1
    form_->SelectNext(form_->Button1->Handle(), true, true); // and to Button2
    ASSERT_EQ(form_->ActiveControl(), form_->Button2->Handle());
    const LONG before = FontHeightOf(form_->Edit1->Handle());
    Apply();
    EXPECT_EQ(beeps_, 1);
    EXPECT_EQ(FontHeightOf(form_->Edit1->Handle()), before);
    EXPECT_EQ(FontHeightOf(form_->Edit3->Handle()), before);
}

TEST_F(FontApplyTest, ThroughTheDialogOnlyApplyChangesTheControlNotOkOrCancel) {
    form_->FontDialog1->Font.height = -12; // the only size the dialog offers: 9 points
    ::SetFocus(form_->Edit2->Handle());
    ASSERT_EQ(FontOf(form_->Edit2->Handle()).lfWeight, FW_NORMAL);
    // Presses Apply as often as asked, then the button that closes the dialog.
    auto press = [](int applies, int close) {
        return BoxWatcher::Dialog([=](HWND dialog) {
            for (int k = 0; k < applies; ++k)
                ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(psh3, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(dialog, psh3)));
            ::PostMessageA(dialog, WM_COMMAND, close, 0);
        });
    };
    {
        BoxWatcher ok({press(0, IDOK)});
        form_->ToolButton14Click();
        ASSERT_EQ(ok.Seen().size(), 1u);
    }
    EXPECT_EQ(FontOf(form_->Edit2->Handle()).lfWeight, FW_NORMAL);
    {
        BoxWatcher applyThenCancel({press(1, IDCANCEL)});
        form_->ToolButton14Click();
        ASSERT_EQ(applyThenCancel.Seen().size(), 1u);
    }
    // The bold style the dialog opened with.
    EXPECT_GT(FontOf(form_->Edit2->Handle()).lfWeight, FW_NORMAL);
    EXPECT_EQ(FontHeightOf(form_->Edit2->Handle()), -12);
    EXPECT_EQ(beeps_, 0);
}
