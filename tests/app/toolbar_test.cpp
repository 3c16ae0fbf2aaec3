// The toolbar's row of buttons, its pictures and the editing commands.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/form1.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

class ToolBarTest : public ::testing::Test {
  protected:
    HWND Bar() const { return form_->ToolBar1->Handle(); }
    void Press(int number) {
        form_.ToolButton(number);
        Pump();
    }

    ShownForm1 form_;
};

struct Item {
    int number;
    int left;
    int image; // -1 for separators
};
// Left edges inside the toolbar and pictures, from left to right.
const Item kItems[] = {
    {6, 0, -1},   {1, 5, 0},     {2, 28, 1},    {3, 51, 2},    {4, 74, -1},   {8, 79, 7},
    {9, 102, 8},  {10, 125, 9},  {11, 148, 10}, {19, 171, 6},  {15, 194, -1}, {14, 199, 5},
    {7, 222, 11}, {12, 245, 12}, {5, 268, -1},  {17, 273, 16}, {13, 296, 17},
};

} // namespace

TEST_F(ToolBarTest, EighteenItemsInOrderAtTheirPlaces) {
    ASSERT_EQ(::SendMessageA(Bar(), TB_BUTTONCOUNT, 0, 0), 18);
    for (int i = 0; i < 17; ++i) {
        TBBUTTON b{};
        ::SendMessageA(Bar(), TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
        EXPECT_EQ(b.idCommand, TToolBar::CommandOf(kItems[i].number)) << i;
        RECT r{};
        ::SendMessageA(Bar(), TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(r.left, kItems[i].left) << "item " << i;
        if (kItems[i].image < 0) {
            EXPECT_TRUE(b.fsStyle & BTNS_SEP);
            EXPECT_EQ(r.right - r.left, 5);
        } else {
            EXPECT_EQ(b.iBitmap, kItems[i].image);
            EXPECT_EQ(r.right - r.left, 23);
            EXPECT_EQ(r.bottom - r.top, 22);
            EXPECT_TRUE(b.fsState & TBSTATE_ENABLED);
        }
    }
}

TEST_F(ToolBarTest, ThePrintButtonIsHiddenAndLeavesNoGap) {
    TBBUTTON b{};
    ::SendMessageA(Bar(), TB_GETBUTTON, 17, reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(b.idCommand, TToolBar::CommandOf(16));
    EXPECT_EQ(b.iBitmap, 3);
    EXPECT_TRUE(b.fsState & TBSTATE_HIDDEN);
    RECT r{};
    EXPECT_FALSE(::SendMessageA(Bar(), TB_GETITEMRECT, 17, reinterpret_cast<LPARAM>(&r)) && r.right > r.left);
    const auto style = ::GetWindowLongPtrA(Bar(), GWL_STYLE);
    EXPECT_FALSE(style & TBSTYLE_FLAT);
    EXPECT_FALSE(style & TBSTYLE_TOOLTIPS);
    EXPECT_FALSE(style & WS_TABSTOP);
}

TEST_F(ToolBarTest, TwentyOneMaskedPictures) {
    HIMAGELIST list = reinterpret_cast<HIMAGELIST>(::SendMessageA(Bar(), TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(::ImageList_GetImageCount(list), 21);
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(list, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    IMAGEINFO info{};
    ASSERT_TRUE(::ImageList_GetImageInfo(list, 0, &info));
    EXPECT_NE(info.hbmMask, nullptr);
}

TEST_F(ToolBarTest, EditingCommandsActOnTheEditorWhereverTheFocusIs) {
    ::SetFocus(form_->Edit1->Handle());
    ::SendMessageA(form_->Edit1->Handle(), EM_SETSEL, 0, -1);
    ::SetWindowTextA(form_->RichEdit1->Handle(), "日本語のメモ");
    form_->RichEdit1->SetSelectionStart(4);
    form_->RichEdit1->SetSelectionLength(4);
    Press(9); // Copy
    EXPECT_EQ(ClipboardText(), "語の");
    Press(8); // Cut
    EXPECT_EQ(form_->RichEdit1->Text(), "日本メモ");
    ASSERT_TRUE(PutOnClipboard("貼付"));
    form_->RichEdit1->SetSelectionStart(4);
    Press(10); // Paste
    EXPECT_EQ(form_->RichEdit1->Text(), "日本貼付メモ");
    EXPECT_EQ(form_->Edit1->Text(), "255");
    Press(11); // Select all
    EXPECT_EQ(form_->RichEdit1->SelectionStart(), 0);
    EXPECT_EQ(form_->RichEdit1->SelectionLength(), 12);
    EXPECT_EQ(::GetFocus(), form_->Edit1->Handle());
}

TEST_F(ToolBarTest, UndoTakesBackTheLastTypedText) {
    form_->RichEdit1->Focus();
    for (char c : std::string("abc")) ::SendMessageA(form_->RichEdit1->Handle(), WM_CHAR, c, 1);
    ASSERT_EQ(form_->RichEdit1->Text(), "abc");
    Press(19);
    EXPECT_NE(form_->RichEdit1->Text(), "abc");
}
