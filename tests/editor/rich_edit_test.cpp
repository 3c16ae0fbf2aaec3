// The editor's public face: text, selection and positions in bytes, colour, formats, focus.
#include "editor/rich_edit.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <string>
#include <type_traits>

#include "base/errors.h"
#include "support/editor_fixture.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

// A byte offset is no position of the control: passed where one is expected, it does not compile.
static_assert(!std::is_convertible_v<int, TControlPos>);
static_assert(!std::is_invocable_v<decltype(&TRichEdit::FindFrom), TRichEdit&, const std::string&, int>);
static_assert(!std::is_invocable_v<decltype(&TRichEdit::ByteFromNative), TRichEdit&, int>);

namespace {

class RichEditTest : public EditorFixture {};

} // namespace

TEST_F(RichEditTest, EmptyControl) {
    EXPECT_EQ(editor_->Text(), "");
    EXPECT_EQ(editor_->Lines.LineCount(), 0);
    EXPECT_EQ(editor_->Lines.JoinedText(), "");
    EXPECT_EQ(CaretLine(editor_->Handle()), 0);
    EXPECT_EQ(FirstVisibleLine(editor_->Handle()), 0);
    EXPECT_EQ(editor_->SelectionStart(), 0);
    EXPECT_EQ(editor_->SelectionLength(), 0);
}

TEST_F(RichEditTest, PositionsAreBytesOfShiftJisText) {
    SetText("あいう\r\nabc");
    EXPECT_EQ(editor_->TextLength(), 11);
    editor_->SetSelectionStart(8);
    EXPECT_EQ(editor_->SelectionStart(), 8);
    EXPECT_EQ(CaretLine(editor_->Handle()), 1);
    editor_->SetSelectionLength(3);
    EXPECT_EQ(editor_->SelectionLength(), 3);
    editor_->SetSelectionStart(2);
    editor_->SetSelectionLength(4);
    EXPECT_EQ(editor_->SelectionStart(), 2);
    EXPECT_EQ(editor_->SelectionLength(), 4);
    editor_->ReplaceSelection("X");
    EXPECT_EQ(editor_->Text(), "あX\r\nabc");
    EXPECT_EQ(editor_->SelectionStart(), 3);

    // The messages reach the control as they were sent, double-byte text and all: nothing
    // between the program and the control converts them.
    SetText("日本\r\n語");
    EXPECT_EQ(editor_->Text(), "日本\r\n語");
    EXPECT_EQ(editor_->TextLength(), 8);
    char raw[16]{};
    EXPECT_EQ(::SendMessageA(Wnd(), WM_GETTEXT, sizeof raw, reinterpret_cast<LPARAM>(raw)), 8);
    EXPECT_STREQ(raw, "日本\r\n語");
    const auto found = editor_->FindFrom("語", editor_->NativeFromByte(0));
    ASSERT_TRUE(found);
    editor_->SelectSpan(*found);
    EXPECT_EQ(editor_->SelectionStart(), 6);
    EXPECT_EQ(editor_->SelectionLength(), 2);
}

TEST_F(RichEditTest, SelectAllCoversExactlyTheText) {
    SetText("漢字\r\nかな\r\n");
    editor_->SelectWholeText();
    EXPECT_EQ(editor_->SelectionStart(), 0);
    EXPECT_EQ(editor_->SelectionLength(), 12);
}

TEST_F(RichEditTest, WritingTheSameColourSendsNothing) {
    MessageCounter counter(Wnd(), EM_SETBKGNDCOLOR);
    editor_->SetColor(clWindow);
    EXPECT_EQ(counter.count, 0);
    editor_->SetColor(RGBColor(0, 128, 0));
    EXPECT_EQ(counter.count, 1);
    editor_->SetColor(RGBColor(0, 128, 0));
    EXPECT_EQ(counter.count, 1);
    EXPECT_EQ(editor_->Color(), RGBColor(0, 128, 0));
}

TEST_F(RichEditTest, TextColourAtTheCaretColoursOnlyWhatIsTypedNext) {
    SetText("abc");
    editor_->SetSelectionStart(3);
    editor_->SelectionFormat.TextColor(RGBColor(255, 0, 0));
    TypeText(Wnd(), "x");
    EXPECT_EQ(editor_->Text(), "abcx");
    const auto before = FormatAt(*editor_, 2);
    EXPECT_TRUE(before.dwEffects & CFE_AUTOCOLOR);
    const auto typed = FormatAt(*editor_, 3);
    EXPECT_FALSE(typed.dwEffects & CFE_AUTOCOLOR);
    EXPECT_EQ(typed.crTextColor, RGB(255, 0, 0));
}

TEST_F(RichEditTest, TextColourOfTheWindowTextIsAutomatic) {
    SetText("abc");
    editor_->SetSelectionStart(0);
    editor_->SetSelectionLength(3);
    editor_->SelectionFormat.TextColor(RGBColor(0, 0, 255));
    EXPECT_EQ(FormatAt(*editor_, 1).crTextColor, RGB(0, 0, 255));
    editor_->SetSelectionStart(0);
    editor_->SetSelectionLength(3);
    editor_->SelectionFormat.TextColor(clWindowText);
    EXPECT_TRUE(FormatAt(*editor_, 1).dwEffects & CFE_AUTOCOLOR);
}

TEST_F(RichEditTest, AssignFontSetsFaceSizeAndStyle) {
    SetText("abc");
    editor_->SetSelectionStart(0);
    editor_->SetSelectionLength(3);
    TFont font = WindowFont();
    font.height = -16; // 12 points at 96 dpi
    font.bold = true;
    font.underline = true;
    editor_->SelectionFormat.AssignFont(font);
    const auto f = FormatAt(*editor_, 1);
    EXPECT_STREQ(f.szFaceName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(f.yHeight, 240);
    EXPECT_TRUE(f.dwEffects & CFE_BOLD);
    EXPECT_TRUE(f.dwEffects & CFE_UNDERLINE);
    EXPECT_FALSE(f.dwEffects & CFE_ITALIC);
    EXPECT_EQ(f.bCharSet, SHIFTJIS_CHARSET);
}

TEST_F(RichEditTest, DefaultFormatIsTheWindowFont) {
    TypeText(Wnd(), "a");
    const auto f = FormatAt(*editor_, 0);
    EXPECT_STREQ(f.szFaceName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(f.yHeight, 180);
}

// A font's size in points follows the resolution the editor's creator gives it, not the
// screen's (the suite's screen has 96 dpi): at its creation, in a twin that takes its window's
// place, for the selection and for the default format.
TEST_F(RichEditTest, FontSizesFollowTheResolutionTheCreatorGives) {
    TRichEditSettings s;
    s.id = 2;
    s.bounds = RECT{0, 0, 200, 100};
    s.font.height = -18; // 9 points at 144 dpi, 14 at 96
    s.pixelsPerInch = 144;
    TRichEdit edit(editor_.host.get(), s);
    const auto defaultHeight = [&] {
        CHARFORMATA f{};
        f.cbSize = sizeof f;
        ::SendMessageA(edit.Handle(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&f));
        return f.yHeight;
    };
    EXPECT_EQ(defaultHeight(), 9 * 20);
    StringSource source("a");
    ASSERT_TRUE(edit.ReplaceContent(source));
    EXPECT_EQ(defaultHeight(), 9 * 20);
    TFont font = s.font;
    font.height = -24; // 12 points at 144 dpi
    edit.SetSelectionStart(0);
    edit.SetSelectionLength(1);
    edit.SelectionFormat.AssignFont(font);
    EXPECT_EQ(FormatAt(edit, 0).yHeight, 12 * 20);
    font.height = -36; // 18 points at 144 dpi
    edit.SetFont(font);
    EXPECT_EQ(defaultHeight(), 18 * 20);
}

TEST_F(RichEditTest, FocusOnAHiddenControlFails) {
    ::ShowWindow(Wnd(), SW_HIDE);
    try {
        editor_->Focus();
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "無効/非表示ウィンドウにはフォーカスを設定できません");
    }
    ::ShowWindow(Wnd(), SW_SHOW);
    editor_->Focus();
    EXPECT_EQ(::GetFocus(), Wnd());
}
