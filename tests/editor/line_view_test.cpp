// The editor's line view (TRichEditStrings): its display rows as lines.
#include "editor/line_view.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "base/errors.h"
#include "editor/rich_edit.h"
#include "support/editor_fixture.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

class RichEditLinesTest : public EditorFixture {};

} // namespace

TEST_F(RichEditLinesTest, OneLineWithFinalBreak) {
    SetText("abc\r\n");
    EXPECT_EQ(editor_->Lines.LineCount(), 1);
    EXPECT_EQ(editor_->Lines.LineAt(0), "abc");
    EXPECT_EQ(editor_->Lines.JoinedText(), "abc\r\n");
    EXPECT_EQ(editor_->Text(), "abc\r\n");
    EXPECT_EQ(editor_->Lines.LineAt(5), "");
}

TEST_F(RichEditLinesTest, LineCountFollowsTheLastLine) {
    SetText("abc");
    EXPECT_EQ(editor_->Lines.LineCount(), 1);
    SetText("abc\r\n\r\n");
    EXPECT_EQ(editor_->Lines.LineCount(), 2);
    SetText("いろは\r\nにほへと");
    EXPECT_EQ(editor_->Lines.LineCount(), 2);
    EXPECT_EQ(editor_->Lines.LineAt(1), "にほへと");
}

TEST_F(RichEditLinesTest, WrappedParagraphCountsAsSeveralLines) {
    std::string para;
    for (int i = 0; i < 60; ++i) para += "あい ";
    SetText(para);
    const int lines = editor_->Lines.LineCount();
    ASSERT_GE(lines, 2);
    EXPECT_EQ(editor_->Text(), para);
    const std::string joined = editor_->Lines.JoinedText();
    // One CR LF per display line, none in the text itself.
    std::string withoutBreaks;
    int breaks = 0;
    for (std::size_t i = 0; i < joined.size(); ++i) {
        if (joined.compare(i, 2, "\r\n") == 0) {
            ++breaks;
            ++i;
        } else {
            withoutBreaks += joined[i];
        }
    }
    EXPECT_EQ(breaks, lines);
    EXPECT_EQ(withoutBreaks, para);
    // The first display line ends where the second starts.
    const auto secondStart = static_cast<int>(::SendMessageA(Wnd(), EM_LINEINDEX, 1, 0));
    EXPECT_EQ(editor_->Lines.LineAt(0).size(),
              static_cast<std::size_t>(editor_->ByteFromNative(TControlPos(secondStart))));
}

// An editor that does not wrap has rows as long as its lines, also longer than a buffer whose
// size fits a WORD.
TEST(RichEditRows, LongRowsOfAnEditorThatDoesNotWrapComeWhole) {
    HostedEditor editor(300, 200, false);
    const std::string ascii(10000, 'x'), longest(70000, 'y');
    std::string wide;
    for (int i = 0; i < 3000; ++i) wide += "\x82\xa0";
    SetTextAndPump(editor->Handle(), ascii + "\r\n" + wide + "\r\n" + longest + "\r\nz\r\n" + wide + "a");
    EXPECT_EQ(editor->Lines.LineAt(0), ascii);
    EXPECT_EQ(editor->Lines.LineAt(1), wide);
    EXPECT_EQ(editor->Lines.LineAt(2), longest);
    EXPECT_EQ(editor->Lines.LineAt(3), "z");
    EXPECT_EQ(editor->Lines.LineAt(4), wide + "a"); // the last row, up to the text's end
}

TEST_F(RichEditLinesTest, AddLine) {
    editor_->Lines.AddLine("1");
    EXPECT_EQ(editor_->Text(), "1\r\n");
    editor_->Lines.AddLine("2");
    EXPECT_EQ(editor_->Text(), "1\r\n2\r\n");
    EXPECT_EQ(editor_->Lines.LineCount(), 2);

    SetText("a");
    editor_->Lines.AddLine("1");
    EXPECT_EQ(editor_->Text(), "a\r\n1");

    SetText("日本");
    editor_->Lines.AddLine("語");
    EXPECT_EQ(editor_->Text(), "日本\r\n語");
}

TEST_F(RichEditLinesTest, AddLineAtTheTextLimitFails) {
    editor_->SetTextLimit(10);
    SetText("0123456789");
    // The control takes a replacement past its limit on some platforms and refuses it on
    // others; when it refuses, the line is reported as not inserted.
    try {
        editor_->Lines.AddLine("x");
        EXPECT_EQ(editor_->Text(), "0123456789\r\nx");
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "RichEdit での行の挿入エラー");
    }
}
