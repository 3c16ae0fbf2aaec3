// The standard dialogs as the main window configures them.
#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "base/errors.h"
#include "dialogs/common_dialogs.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

using W = BoxWatcher;

class CommonDialogsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        form_->FindDialog1->CloseDialog();
        form_->ReplaceDialog1->CloseDialog();
        Pump();
    }
    ShownForm1 form_;
};

} // namespace

TEST_F(CommonDialogsTest, FileDialogsStartWithTheirNamesAndTheOneFilter) {
    EXPECT_EQ(form_->OpenDialog1->FileName, "");
    EXPECT_EQ(form_->SaveDialog1->FileName, "*.txt");
    std::string shown, filter;
    HWND main = form_->Handle();
    W answer({W::Dialog([&](HWND dialog) {
                 shown = TextOf(FileNameBox(dialog));
                 char text[128]{};
                 ::SendDlgItemMessageA(dialog, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
                 filter = text;
                 ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
             })},
             [main] { return !::IsWindowEnabled(main); });
    EXPECT_FALSE(form_->SaveDialog1->Execute());
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(shown, "*.txt");
    EXPECT_EQ(filter.rfind("文書ファイル", 0), 0u) << filter;
    EXPECT_TRUE(answer.Seen()[0].probe) << "the main window stayed enabled";
    EXPECT_TRUE(::IsWindowEnabled(form_->Handle()));
    EXPECT_EQ(form_->SaveDialog1->FileName, "*.txt"); // a cancel keeps the name
}

TEST_F(CommonDialogsTest, ANameWithoutExtensionComesBackAsTyped) {
    const TempFolder folder;
    const std::string path = folder.Path("noext_dodir");
    W answer({W::Dialog(W::ChooseFile(path))});
    ASSERT_TRUE(form_->SaveDialog1->Execute());
    EXPECT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(form_->SaveDialog1->FileName, path);
}

TEST_F(CommonDialogsTest, FileDialogIsCentredAndOneThirdDown) {
    W answer({W::Dialog(W::Press(IDCANCEL))});
    form_->OpenDialog1->Execute();
    ASSERT_EQ(answer.Seen().size(), 1u);
    const RECT r = answer.Seen()[0].frame;
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.left, (sw - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (sh - (r.bottom - r.top)) / 3);
}

TEST_F(CommonDialogsTest, FindDialogIsModelessKeepsItsTextAndPlaceAndRaisesOnFind) {
    int finds = 0;
    std::string seen;
    unsigned options = 0;
    form_->FindDialog1->OnFind = [&](TFindDialog& d) {
        ++finds;
        seen = d.FindText();
        options = d.Options;
    };
    ASSERT_TRUE(form_->FindDialog1->Execute());
    HWND dialog = form_->FindDialog1->Handle();
    ASSERT_TRUE(::IsWindow(dialog));
    EXPECT_TRUE(::IsWindowEnabled(form_->Handle()));            // the main window stays usable
    EXPECT_EQ(::IsDlgButtonChecked(dialog, chx2), BST_CHECKED); // match case at start
    ::SetDlgItemTextA(dialog, edt1, "検索abc");
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Pump();
    EXPECT_EQ(finds, 1);
    EXPECT_EQ(seen, "検索abc");
    EXPECT_TRUE(options & frFindNext);
    EXPECT_TRUE(options & frMatchCase);
    EXPECT_TRUE(::IsWindow(dialog)); // stays open
    // A second Execute only brings it to the top.
    ASSERT_TRUE(form_->FindDialog1->Execute());
    EXPECT_EQ(form_->FindDialog1->Handle(), dialog);
    ::SetWindowPos(dialog, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    Pump();
    EXPECT_FALSE(::IsWindow(dialog));
    EXPECT_EQ(form_->FindDialog1->Position().x, 20);
    ASSERT_TRUE(form_->FindDialog1->Execute());
    HWND again = form_->FindDialog1->Handle();
    char text[64]{};
    ::GetDlgItemTextA(again, edt1, text, sizeof text);
    EXPECT_STREQ(text, "検索abc");
    RECT r{};
    ::GetWindowRect(again, &r);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(form_->ReplaceDialog1->FindText(), ""); // each dialog has its own text
}

// A dialog serves the host it is given, not the application: a find dialog of its own tells
// its host when it becomes active and when it goes.
TEST_F(CommonDialogsTest, AFindDialogReportsItsActivationToItsHost) {
    std::vector<std::pair<HWND, bool>> reported;
    TDialogHost host;
    host.activeForm = [this] { return form_->Handle(); };
    host.modelessActive = [&](HWND dialog, bool active) { reported.emplace_back(dialog, active); };
    TFindDialog find(host);
    ASSERT_TRUE(find.Execute());
    const HWND dialog = find.Handle();
    Pump();
    EXPECT_NE(TestApplication().CurrentDialog(), dialog);
    find.CloseDialog();
    Pump();
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.front(), std::make_pair(dialog, true));
    EXPECT_EQ(reported.back(), std::make_pair(dialog, false));
}

TEST_F(CommonDialogsTest, ReplaceDialogRaisesOnReplaceWithBothTexts) {
    std::string find, replace;
    unsigned options = 0;
    form_->ReplaceDialog1->OnReplace = [&](TReplaceDialog& d) {
        find = d.FindText();
        replace = d.ReplaceText();
        options = d.Options;
    };
    ASSERT_TRUE(form_->ReplaceDialog1->Execute());
    HWND dialog = form_->ReplaceDialog1->Handle();
    ::SetDlgItemTextA(dialog, edt1, "古い");
    ::SetDlgItemTextA(dialog, edt2, "新しい");
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(psh2, BN_CLICKED), 0); // replace all
    Pump();
    EXPECT_EQ(find, "古い");
    EXPECT_EQ(replace, "新しい");
    EXPECT_TRUE(options & frReplaceAll);
}

TEST_F(CommonDialogsTest, AnErrorInAFindHandlerKeepsTheDialogOpen) {
    form_->FindDialog1->OnFind = [](TFindDialog&) { throw Exception("検索できません"); };
    ASSERT_TRUE(form_->FindDialog1->Execute());
    HWND dialog = form_->FindDialog1->Handle();
    ::SetDlgItemTextA(dialog, edt1, "x");
    W box({W::ErrorBox()});
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"検索できません."});
    EXPECT_TRUE(::IsWindow(dialog));
}

TEST_F(CommonDialogsTest, FontDialogApplyReportsTheFontAndStaysOpen) {
    int applied = 0;
    TFont font;
    bool openDuringApply = false;
    form_->FontDialog1->OnApply = [&](TFontDialog& d, HWND wnd) {
        ++applied;
        font = d.Font;
        openDuringApply = ::IsWindowVisible(wnd) != FALSE;
    };
    std::string sizes;
    W answer({W::Dialog([&](HWND dialog) {
        const auto count = ::SendDlgItemMessageA(dialog, cmb3, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            char text[16]{};
            ::SendDlgItemMessageA(dialog, cmb3, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            sizes += std::string(text) + ";";
        }
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(psh3, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, psh3)));
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    })});
    EXPECT_FALSE(form_->FontDialog1->Execute());
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(openDuringApply);
    EXPECT_EQ(font.name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(font.height, -12);
    EXPECT_EQ(sizes, "9;");
}

namespace {
// Picks a face other than the current one in the font dialog's face list, as a click would;
// gives its name.
std::string PickOtherFace(HWND dialog) {
    auto index = ::SendDlgItemMessageA(dialog, cmb1, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>("Tahoma"));
    if (index < 0)
        index = (::SendDlgItemMessageA(dialog, cmb1, CB_GETCURSEL, 0, 0) + 1) %
                ::SendDlgItemMessageA(dialog, cmb1, CB_GETCOUNT, 0, 0);
    ::SendDlgItemMessageA(dialog, cmb1, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, cmb1)));
    char face[LF_FACESIZE]{};
    ::SendDlgItemMessageA(dialog, cmb1, CB_GETLBTEXT, static_cast<WPARAM>(index),
                          reinterpret_cast<LPARAM>(face));
    return face;
}
} // namespace

// OK without Apply: the chosen face, with the character set the dialog gives it as the face
// changed, is what the next opening starts from. The dialog has no colour list (no effects),
// so the colour stays.
TEST_F(CommonDialogsTest, FontDialogOkKeepsTheChosenFontForTheNextOpening) {
    std::string face;
    LOGFONTA chosen{};
    W answer({W::Dialog([&](HWND dialog) {
        face = PickOtherFace(dialog);
        ::SendMessageA(dialog, WM_CHOOSEFONT_GETLOGFONT, 0, reinterpret_cast<LPARAM>(&chosen));
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    })});
    EXPECT_TRUE(form_->FontDialog1->Execute());
    ASSERT_EQ(answer.Seen().size(), 1u);
    const TFont& font = form_->FontDialog1->Font;
    EXPECT_EQ(font.name, face);
    EXPECT_EQ(font.charset, chosen.lfCharSet);
    EXPECT_EQ(font.color, WindowFont().color);
    std::string shownFace;
    W again({W::Dialog([&](HWND dialog) {
        char text[LF_FACESIZE]{};
        ::GetDlgItemTextA(dialog, cmb1, text, sizeof text);
        shownFace = text;
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    })});
    EXPECT_FALSE(form_->FontDialog1->Execute());
    ASSERT_EQ(again.Seen().size(), 1u);
    EXPECT_EQ(shownFace, face);
}

TEST_F(CommonDialogsTest, FontDialogApplyThenCancelKeepsTheAppliedFont) {
    std::string face, reported;
    form_->FontDialog1->OnApply = [&](TFontDialog& d, HWND) { reported = d.Font.name; };
    W answer({W::Dialog([&](HWND dialog) {
        face = PickOtherFace(dialog);
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(psh3, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, psh3)));
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    })});
    EXPECT_FALSE(form_->FontDialog1->Execute());
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(reported, face);
    EXPECT_EQ(form_->FontDialog1->Font.name, face);
}
