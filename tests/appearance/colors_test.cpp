#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "app/form1.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

const char* const kRedMessage = "Rに0～255の整数を入力してください。";
const char* const kGreenMessage = "Gに0～255の整数を入力してください。";
const char* const kBlueMessage = "Bに0～255の整数を入力してください。";

class ColorsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Text to colour, all of it selected.
        ::SetWindowTextA(form_->RichEdit1->Handle(), "色のテスト");
        form_->RichEdit1->SetSelectionStart(0);
        form_->RichEdit1->SetSelectionLength(form_->RichEdit1->TextLength());
    }

    // The background the control itself holds: setting it gives back the previous one.
    COLORREF ControlBackground() {
        HWND editor = form_->RichEdit1->Handle();
        const auto previous =
            static_cast<COLORREF>(::SendMessageA(editor, EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3)));
        ::SendMessageA(editor, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(previous));
        return previous;
    }
    // The selection's text colour as the control reports it; -1 for the automatic colour.
    long long SelectionTextColor() { return TextColorOf(SelectionFormat(form_->RichEdit1->Handle())); }
    void SetEdits(const std::string& r, const std::string& g, const std::string& b) {
        form_->Edit1->SetText(r);
        form_->Edit2->SetText(g);
        form_->Edit3->SetText(b);
    }
    // A real click's path: the button tells its parent, whose handler runs.
    void Click(TButton& button) { ::SendMessageA(button.Handle(), BM_CLICK, 0, 0); }
    // A pick in a list as the control reports it to its parent.
    void Pick(TComboBox& list, int index) {
        list.SetItemIndex(index);
        ::SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list.Handle()), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list.Handle()));
    }

    ShownForm1 form_;
};

struct PresetRow {
    int index;
    int red, green, blue;
    const char* background;
    const char* text;
};
const PresetRow kPresetRows[] = {
    {0, 0, 0, 0, "背景色R:0 G:0 B:0", "文字色R:0 G:0 B:0"},
    {1, 255, 255, 255, "背景色R:255 G:255 B:255", "文字色R:255 G:255 B:255"},
    {2, 255, 0, 0, "背景色R:255 G:0 B:0", "文字色R:255 G:0 B:0"},
    {3, 0, 0, 255, "背景色R:0 G:0 B:255", "文字色R:0 G:0 B:255"},
    {4, 0, 128, 0, "背景色R:0 G:128 B:0", "文字色R:0 G:128 B:0"},
    {5, 255, 255, 0, "背景色R:255 G:255 B:0", "文字色R:255 G:255 B:0"},
    {6, 128, 0, 128, "背景色R:128 G:0 B:128", "文字色R:128 G:0 B:128"},
    {7, 128, 128, 128, "背景色R:128 G:128 B:128", "文字色R:128 G:128 B:128"},
};

} // namespace

// --- Preset lists ---

TEST_F(ColorsTest, BackgroundListSetsTheEditorBackgroundAndPanel0) {
    // From the end backwards, so that white (the start-up text) is not the first pick.
    for (auto it = std::rbegin(kPresetRows); it != std::rend(kPresetRows); ++it) {
        Pick(*form_->ComboBox1, it->index);
        EXPECT_EQ(ControlBackground(), RGB(it->red, it->green, it->blue)) << it->index;
        EXPECT_EQ(form_.Panel(TStatusPanel::Background), it->background);
        EXPECT_EQ(form_.Panel(TStatusPanel::Text), "文字色R:0 G:0 B:0"); // the other panel is left alone
    }
}

TEST_F(ColorsTest, TextListColoursTheSelectionAndPanel1) {
    for (const auto& row : kPresetRows) {
        Pick(*form_->ComboBox2, row.index);
        EXPECT_EQ(SelectionTextColor(), static_cast<long long>(RGB(row.red, row.green, row.blue)))
            << row.index;
        EXPECT_EQ(form_.Panel(TStatusPanel::Text), row.text);
        EXPECT_EQ(form_.Panel(TStatusPanel::Background), "背景色R:255 G:255 B:255");
    }
    // The background stays the window colour.
    EXPECT_EQ(ControlBackground(), ::GetSysColor(COLOR_WINDOW));
}

TEST_F(ColorsTest, PickingByKeyboardRaisesTheChange) {
    ::SetFocus(form_->ComboBox1->Handle());
    form_->ComboBox1->SetItemIndex(3);
    ::SendMessageA(form_->ComboBox1->Handle(), WM_KEYDOWN, VK_DOWN, 1); // 青 -> 緑
    Pump();
    EXPECT_EQ(form_->ComboBox1->ItemIndex(), 4);
    EXPECT_EQ(form_.Panel(TStatusPanel::Background), "背景色R:0 G:128 B:0");
    EXPECT_EQ(ControlBackground(), RGB(0, 128, 0));
}

TEST_F(ColorsTest, ListChangeWithoutASelectionChangesNothing) {
    Pick(*form_->ComboBox1, 2);
    Pick(*form_->ComboBox1, -1);
    EXPECT_EQ(form_.Panel(TStatusPanel::Background), "背景色R:255 G:0 B:0");
    EXPECT_EQ(ControlBackground(), RGB(255, 0, 0));
    Pick(*form_->ComboBox2, -1);
    EXPECT_EQ(form_.Panel(TStatusPanel::Text), "文字色R:0 G:0 B:0");
    EXPECT_EQ(SelectionTextColor(), -1);
}

// --- Custom colours ---

TEST_F(ColorsTest, Button1AppliesTheTripleAsBackgroundAndEchoesTheTextsAsTyped) {
    SetEdits("$FF", "0", "0");
    Click(*form_->Button1);
    EXPECT_EQ(ControlBackground(), RGB(255, 0, 0));
    EXPECT_EQ(form_.Panel(TStatusPanel::Background), "  背景色R:$FF G:0 B:0");

    SetEdits(" 12", "0x80", "+5");
    Click(*form_->Button1);
    EXPECT_EQ(ControlBackground(), RGB(12, 128, 5));
    EXPECT_EQ(form_.Panel(TStatusPanel::Background), "  背景色R: 12 G:0x80 B:+5");

    SetEdits("xff", "0255", "0");
    Click(*form_->Button1);
    EXPECT_EQ(ControlBackground(), RGB(255, 255, 0));
    EXPECT_EQ(form_.Panel(TStatusPanel::Background), "  背景色R:xff G:0255 B:0");
    EXPECT_EQ(form_.Panel(TStatusPanel::Text), "文字色R:0 G:0 B:0");
    EXPECT_EQ(SelectionTextColor(), -1); // the text colour is untouched
}

TEST_F(ColorsTest, Button2ColoursTheSelectionAndWritesPanel1) {
    SetEdits("0", "0", "0");
    Click(*form_->Button2);
    EXPECT_EQ(SelectionTextColor(), static_cast<long long>(RGB(0, 0, 0)));
    EXPECT_EQ(form_.Panel(TStatusPanel::Text), "  文字色R:0 G:0 B:0");

    SetEdits("10", "$14", "0x1e");
    Click(*form_->Button2);
    EXPECT_EQ(SelectionTextColor(), static_cast<long long>(RGB(10, 20, 30)));
    EXPECT_EQ(form_.Panel(TStatusPanel::Text), "  文字色R:10 G:$14 B:0x1e");
    EXPECT_EQ(form_.Panel(TStatusPanel::Background), "背景色R:255 G:255 B:255");
    EXPECT_EQ(ControlBackground(), ::GetSysColor(COLOR_WINDOW));
}

TEST_F(ColorsTest, OutOfRangeShowsRedGreenBlueInOrderOneAtATimeAndChangesNothing) {
    Pick(*form_->ComboBox1, 6);
    const COLORREF before = ControlBackground();
    SetEdits("300", "-5", "999");
    BoxWatcher boxes(std::vector(3, BoxWatcher::MessageForm(BoxWatcher::Key(VK_RETURN))),
                     [&] { return form_.Panel(TStatusPanel::Background) == "背景色R:128 G:0 B:128"; });
    Click(*form_->Button1);
    const auto& seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text, kRedMessage);
    EXPECT_EQ(seen[1].text, kGreenMessage);
    EXPECT_EQ(seen[2].text, kBlueMessage);
    for (const auto& box : seen) {
        EXPECT_EQ(box.caption, "ミルテ");
        EXPECT_EQ(box.visibleBoxes, 1);
        EXPECT_TRUE(box.probe) << "panel 0 changed while a message was up";
    }
    EXPECT_EQ(ControlBackground(), before);
    EXPECT_EQ(form_.Panel(TStatusPanel::Background), "背景色R:128 G:0 B:128");
    EXPECT_EQ(form_->Edit1->Text(), "300"); // nothing corrected
    EXPECT_EQ(form_->Edit2->Text(), "-5");
    EXPECT_EQ(form_->Edit3->Text(), "999");
}

TEST_F(ColorsTest, ConversionErrorGoesToTheErrorBoxBeforeAnyRangeCheck) {
    SetEdits("abc", "300", "0");
    // A range message after the error box would be a box too many.
    BoxWatcher boxes({BoxWatcher::ErrorBox()});
    Click(*form_->Button1);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, "'abc' は整数ではありません.");
    EXPECT_EQ(boxes.Seen()[0].caption, "ミルテ");
    EXPECT_EQ(form_.Panel(TStatusPanel::Background), "背景色R:255 G:255 B:255");
    EXPECT_EQ(ControlBackground(), ::GetSysColor(COLOR_WINDOW));
}
