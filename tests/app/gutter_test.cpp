// The gutter and the caret line, refreshed by character keys and mouse presses in the editor.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/form1.h"
#include "base/win/font.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

class GutterTest : public ::testing::Test {
  protected:
    HWND Editor() const { return form_->RichEdit1->Handle(); }
    std::string Panel3() const { return form_.Panel(TStatusPanel::Caret); }
    std::string Gutter() { return form_->Gutter->RichEdit2->Text(); }
    void SetText(const std::string& text) { SetTextAndPump(Editor(), text); }
    LPARAM PointOfLine(int line) {
        const auto start = ::SendMessageA(Editor(), EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        POINTL pt{};
        ::SendMessageA(Editor(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&pt), start);
        return MAKELPARAM(pt.x + 1, pt.y + 2);
    }
    void ClickLine(int line) {
        ::SendMessageA(Editor(), WM_LBUTTONDOWN, MK_LBUTTON, PointOfLine(line));
        ::SendMessageA(Editor(), WM_LBUTTONUP, 0, PointOfLine(line));
        Pump();
    }
    // The gutter's pixels on screen between the tops of one row and the next.
    std::vector<COLORREF> RowPixels(int row) {
        HWND gutter = form_->Gutter->RichEdit2->Handle();
        RECT client{};
        ::GetClientRect(gutter, &client);
        HDC dc = ::GetDC(gutter);
        std::vector<COLORREF> pixels;
        for (int y = LineTop(form_->Gutter->RichEdit2->Handle(), row);
             y < LineTop(form_->Gutter->RichEdit2->Handle(), row + 1); ++y)
            for (int x = 0; x < client.right; ++x) pixels.push_back(::GetPixel(dc, x, y));
        ::ReleaseDC(gutter, dc);
        return pixels;
    }
    static std::string Numbers(int from, int to) {
        std::string s;
        for (int k = from; k <= to; ++k) s += std::to_string(k) + "\r\n";
        return s;
    }

    ShownForm1 form_;
};

} // namespace

TEST_F(GutterTest, StartsEmptyWithLineOneInThePanel) {
    EXPECT_EQ(Gutter(), "");
    EXPECT_EQ(Panel3(), " 行：1");
}

TEST_F(GutterTest, AKeyInAnEmptyDocumentNumbersTheFirstLine) {
    ::SendMessageA(Editor(), WM_CHAR, 'x', 1);
    EXPECT_EQ(Panel3(), " 行：1");
    EXPECT_EQ(Gutter(), "1\r\n");
    EXPECT_EQ(form_->RichEdit1->Text(), "x");
}

TEST_F(GutterTest, ClickOnTheSecondOfTwoLines) {
    SetText("a\r\nb");
    ClickLine(1);
    EXPECT_EQ(Panel3(), " 行：2");
    EXPECT_EQ(Gutter(), Numbers(1, 3));
}

TEST_F(GutterTest, FinalBreakGetsTheNumberPastTheCountedLines) {
    SetText("a\r\nb\r\n");
    EXPECT_EQ(form_->RichEdit1->Lines.LineCount(), 2);
    ClickLine(0);
    EXPECT_EQ(Gutter(), Numbers(1, 3));
}

TEST_F(GutterTest, TheKeyIsCountedBeforeItIsApplied) {
    SetText("1\r\n2\r\n3");
    form_->RichEdit1->SetSelectionStart(7);
    ::SendMessageA(Editor(), WM_CHAR, '\r', 1);
    EXPECT_EQ(Panel3(), " 行：3");
    EXPECT_EQ(CaretLine(form_->RichEdit1->Handle()), 3);
    EXPECT_EQ(Gutter(), Numbers(1, 4));
}

TEST_F(GutterTest, AScrolledEditorStartsAtItsFirstVisibleLine) {
    std::string text;
    for (int i = 1; i <= 80; ++i) text += "line " + std::to_string(i) + "\r\n";
    SetText(text);
    ::SendMessageA(Editor(), EM_LINESCROLL, 0, 10);
    Pump();
    ASSERT_EQ(FirstVisibleLine(form_->RichEdit1->Handle()), 10);
    ClickLine(12);
    EXPECT_EQ(Panel3(), " 行：13");
    const std::string gutter = Gutter();
    EXPECT_EQ(gutter.rfind("11\r\n", 0), 0u) << gutter;
    // Only what the gutter can show: its first line faces the editor's first visible line.
    EXPECT_EQ(form_->Gutter->RichEdit2->Lines.LineAt(0), "11");
    EXPECT_LT(form_->Gutter->RichEdit2->Lines.LineCount(), 50);
    EXPECT_EQ(FirstVisibleLine(form_->Gutter->RichEdit2->Handle()), 0);
}

TEST_F(GutterTest, AWrappedParagraphGetsANumberPerDisplayLine) {
    std::string para;
    for (int i = 0; i < 40; ++i) para += "長い段落 ";
    SetText(para);
    const int lines = form_->RichEdit1->Lines.LineCount();
    ASSERT_GE(lines, 2);
    ClickLine(0);
    EXPECT_EQ(Gutter(), Numbers(1, lines + 1));
}

TEST_F(GutterTest, ADragReportsTheLineOfThePress) {
    std::string text;
    for (int i = 1; i <= 10; ++i) text += "row" + std::to_string(i) + "\r\n";
    SetText(text);
    ::SendMessageA(Editor(), WM_LBUTTONDOWN, MK_LBUTTON, PointOfLine(4));
    ::SendMessageA(Editor(), WM_MOUSEMOVE, MK_LBUTTON, PointOfLine(7));
    ::SendMessageA(Editor(), WM_LBUTTONUP, 0, PointOfLine(7));
    EXPECT_EQ(Panel3(), " 行：5");
    ::SendMessageA(Editor(), WM_LBUTTONDOWN, MK_LBUTTON, PointOfLine(7));
    ::SendMessageA(Editor(), WM_MOUSEMOVE, MK_LBUTTON, PointOfLine(4));
    ::SendMessageA(Editor(), WM_LBUTTONUP, 0, PointOfLine(4));
    EXPECT_EQ(Panel3(), " 行：8");
}

TEST_F(GutterTest, ArrowKeysAndScrollingDoNotRefresh) {
    std::string text;
    for (int i = 1; i <= 60; ++i) text += "r\r\n";
    SetText(text);
    ClickLine(0);
    ASSERT_EQ(Panel3(), " 行：1");
    const std::string before = Gutter();
    ::SendMessageA(Editor(), WM_KEYDOWN, VK_DOWN, 1);
    ::SendMessageA(Editor(), WM_KEYUP, VK_DOWN, 0xC0000001);
    ::SendMessageA(Editor(), EM_LINESCROLL, 0, 5);
    Pump();
    EXPECT_EQ(CaretLine(form_->RichEdit1->Handle()), 1);
    EXPECT_EQ(Panel3(), " 行：1");
    EXPECT_EQ(Gutter(), before);
}

TEST_F(GutterTest, ClearingTheGutterLeavesItEmptyUntilTheNextKey) {
    ::SendMessageA(Editor(), WM_CHAR, 'x', 1);
    form_->RichEdit1->Lines.ClearAll();
    form_->Gutter->RichEdit2->Lines.ClearAll();
    EXPECT_EQ(Gutter(), "");
    EXPECT_EQ(Panel3(), " 行：1");
}

TEST_F(GutterTest, AHundredThousandLinesRefreshWithoutAnError) {
    std::string text;
    text.reserve(800000);
    for (int i = 1; i <= 100000; ++i) text += std::to_string(i) + "\r\n";
    SetText(text);
    form_->RichEdit1->SetSelectionStart(static_cast<int>(text.size()));
    BoxWatcher none;
    ::SendMessageA(Editor(), WM_CHAR, 'z', 1);
    EXPECT_TRUE(none.Seen().empty());
    EXPECT_EQ(Panel3(), " 行：100001");
    // Numbers only for what fits: a few dozen, not a hundred thousand.
    const std::string gutter = Gutter();
    int numbers = 0;
    for (std::size_t at = gutter.find("\r\n"); at != std::string::npos; at = gutter.find("\r\n", at + 2))
        ++numbers;
    EXPECT_GT(numbers, 0);
    EXPECT_LT(numbers, 50);
    // Six digits are wider than the gutter: each number is cut, never wrapped, and stays
    // on the row of its line, all the way down.
    const int first = FirstVisibleLine(form_->RichEdit1->Handle());
    EXPECT_EQ(form_->Gutter->RichEdit2->Text().rfind(std::to_string(first + 1) + "\r\n", 0), 0u);
    EXPECT_EQ(FirstVisibleLine(form_->Gutter->RichEdit2->Handle()), 0);
    EXPECT_EQ(form_->Gutter->RichEdit2->Lines.LineCount(), numbers);
    for (int row = 0; row < numbers; ++row) {
        EXPECT_EQ(form_->Gutter->RichEdit2->Lines.LineAt(row), std::to_string(first + row + 1));
        EXPECT_EQ(LineTop(form_->Gutter->RichEdit2->Handle(), row),
                  LineTop(form_->RichEdit1->Handle(), first + row))
            << row;
    }
    // Cut at the left, the last digits stay in view: on screen, every row reads differently
    // from the one above it, and no last digit runs past the right edge (the last column of
    // pixels is paper).
    ::UpdateWindow(form_->Gutter->RichEdit2->Handle());
    RECT client{};
    ::GetClientRect(form_->Gutter->RichEdit2->Handle(), &client);
    const COLORREF paper = win::ColorToRGB(form_->Gutter->RichEdit2->Color());
    for (int row = 1; row + 1 < numbers && LineTop(form_->Gutter->RichEdit2->Handle(), row + 1) <
                                               ClientHeight(form_->Gutter->RichEdit2->Handle());
         ++row) {
        const std::vector<COLORREF> pixels = RowPixels(row);
        EXPECT_TRUE(RowPixels(row - 1) != pixels) << form_->Gutter->RichEdit2->Lines.LineAt(row);
        bool edgeIsPaper = true;
        for (auto at = static_cast<std::size_t>(client.right) - 1; at < pixels.size(); at += client.right)
            edgeIsPaper = edgeIsPaper && pixels[at] == paper;
        EXPECT_TRUE(edgeIsPaper) << form_->Gutter->RichEdit2->Lines.LineAt(row);
    }
}

TEST_F(GutterTest, ThePartlyShownLastRowGetsItsNumberToo) {
    std::string text;
    for (int i = 1; i <= 100; ++i) text += "r\r\n";
    SetText(text);
    ClickLine(0);
    RECT client{};
    ::GetClientRect(Editor(), &client);
    POINTL bottom{1, client.bottom - 1};
    const auto at = ::SendMessageA(Editor(), EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom));
    const int lastRow =
        static_cast<int>(::SendMessageA(Editor(), EM_LINEFROMCHAR, static_cast<WPARAM>(at), 0));
    ASSERT_GT(lastRow, 10);
    EXPECT_EQ(form_->Gutter->RichEdit2->Lines.LineAt(lastRow), std::to_string(lastRow + 1)) << Gutter();
}

// What the gutter asks of the editor without walking its text agrees with the control's own
// answers after every kind of change, on both sides of the one-height rule; and numbers kept
// from the last refresh are the numbers a gutter filled afresh shows.
TEST_F(GutterTest, QuickAnswersAgreeWithTheControlsOwn) {
    auto lines = [](int n, const std::string& prefix) {
        std::string text;
        for (int i = 1; i <= n; ++i) text += prefix + std::to_string(i) + "\r\n";
        return text;
    };
    auto load = [&](const std::string& text) {
        StringSource source(text);
        ASSERT_TRUE(form_->RichEdit1->ReplaceContent(source));
        form_->RichEdit1->Focus();
    };
    auto scroll = [&](WPARAM how) { ::SendMessageA(Editor(), WM_VSCROLL, how, 0); };
    auto pagesDown = [&](int n) {
        return [&scroll, n] {
            for (int i = 0; i < n; ++i) scroll(SB_PAGEDOWN);
        };
    };
    std::string mixed = "{\\rtf1\\ansi{\\fonttbl{\\f0 MS PGothic;}}\\f0\\fs18 ";
    for (int i = 1; i <= 200; ++i)
        mixed += (i % 7 ? "line " : "\\fs44 tall\\fs18 ") + std::to_string(i) + "\\par ";
    mixed += "}";
    struct Step {
        const char* what;
        std::function<void()> change;
        int oneHeight; // 1 or 0: the rule holds or not; -1: either
    };
    const Step steps[] = {
        {"300 lines loaded", [&] { load(lines(300, "line ")); }, 1},
        {"typing", [&] { TypeText(Editor(), "abc"); }, 1},
        {"Enter", [&] { PressKey(VK_RETURN); }, 1},
        {"pages down", pagesDown(3), 1},
        {"thumb between rows", [&] { scroll(MAKEWPARAM(SB_THUMBPOSITION, 1000)); }, 1},
        {"a wrapping line typed", [&] { TypeText(Editor(), std::string(400, 'w')); }, 1},
        {"drag selection",
         [&] {
             ::SendMessageA(Editor(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
             ::SendMessageA(Editor(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 120));
             ::SendMessageA(Editor(), WM_LBUTTONUP, 0, MAKELPARAM(60, 120));
         },
         -1},
        {"font dialog's font",
         [&] {
             form_->FontDialog1->Font.name = "ＭＳ Ｐ明朝";
             form_->FontDialog1->Font.bold = true;
             form_->FontDialog1Apply(*form_->FontDialog1, nullptr);
             scroll(SB_PAGEDOWN);
         },
         -1},
        {"undo", [&] { form_->RichEdit1->UndoLastEdit(); }, -1},
        {"mixed sizes loaded", [&] { load(mixed); }, 0},
        {"mixed sizes, pages down", pagesDown(4), 0},
        {"mixed sizes, thumb", [&] { scroll(MAKEWPARAM(SB_THUMBPOSITION, 700)); }, 0},
        {"mixed sizes, typing at the end",
         [&] {
             form_->RichEdit1->SetSelectionStart(form_->RichEdit1->TextLength());
             TypeText(Editor(), "xy\r");
         },
         0},
        {"one line, caret at its end", [&] { load("one"); }, -1},
    };
    int deepest = 0;
    for (const Step& step : steps) {
        step.change();
        Pump();
        deepest = std::max(deepest, FirstVisibleLine(Editor()));
        const TRichEdit& editor = *form_->RichEdit1;
        if (step.oneHeight >= 0) {
            EXPECT_EQ(TEditorRows::RowsShareOneHeight(editor), step.oneHeight == 1) << step.what;
        }
        EXPECT_EQ(TEditorRows::FirstVisibleRow(editor), FirstVisibleLine(Editor())) << step.what;
        const int count = TEditorRows::RowCount(editor);
        EXPECT_GE(::SendMessageA(Editor(), EM_LINEINDEX, static_cast<WPARAM>(count - 1), 0), 0) << step.what;
        EXPECT_LT(::SendMessageA(Editor(), EM_LINEINDEX, static_cast<WPARAM>(count), 0), 0) << step.what;
        EXPECT_EQ(TEditorRows::LineCount(editor), form_->RichEdit1->Lines.LineCount()) << step.what;
        form_->RefreshLineNumbers();
        const std::string kept = Gutter();
        form_->Gutter->Clear();
        form_->RefreshLineNumbers();
        EXPECT_EQ(kept, Gutter()) << step.what;
    }
    EXPECT_GT(deepest, 10);
}
