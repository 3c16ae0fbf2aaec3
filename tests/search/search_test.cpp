#include <gtest/gtest.h>

#include <string>

#include "app/form1.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

class SearchTest : public ::testing::Test {
  protected:
    TRichEdit& Editor() { return *form_->RichEdit1; }
    void SetText(const std::string& text) {
        ::SetWindowTextA(Editor().Handle(), text.c_str());
        Editor().SetSelectionStart(0);
    }
    std::pair<int, int> Selection() { return {Editor().SelectionStart(), Editor().SelectionLength()}; }

    // A Find Next press of the find dialog; the not-found box, if any, answered with Enter.
    std::vector<SeenBox> Find(const std::string& text, unsigned options = frDown | frMatchCase) {
        form_->FindDialog1->SetFindText(text);
        form_->FindDialog1->Options = options;
        BoxWatcher boxes({BoxWatcher::MessageForm(BoxWatcher::Key(VK_RETURN))});
        form_->FindDialog1Find(*form_->FindDialog1);
        return boxes.Seen();
    }
    std::vector<SeenBox> Replace(const std::string& text, const std::string& replacement,
                                 unsigned options = frReplace) {
        form_->ReplaceDialog1->SetFindText(text);
        form_->ReplaceDialog1->SetReplaceText(replacement);
        form_->ReplaceDialog1->Options = options;
        BoxWatcher boxes({BoxWatcher::MessageForm(BoxWatcher::Key(VK_RETURN))});
        form_->ReplaceDialog1Replace(*form_->ReplaceDialog1);
        return boxes.Seen();
    }
    static void ExpectNotFound(const std::vector<SeenBox>& seen, const std::string& text) {
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, "検索領域に\"" + text + "\"は見つかりませんでした。");
        EXPECT_EQ(seen[0].caption, "エラー");
    }

    ShownForm1 form_;
};

} // namespace

TEST_F(SearchTest, WithoutASelectionTheFirstOccurrenceIsFoundWhereverTheCaretIs) {
    SetText("ab ab ab");
    Editor().SetSelectionStart(7);
    ::SetFocus(form_->Edit1->Handle());
    EXPECT_TRUE(Find("ab").empty());
    EXPECT_EQ(Selection(), std::pair(0, 2));
    EXPECT_EQ(::GetFocus(), Editor().Handle()); // the match has the focus
}

TEST_F(SearchTest, PressesWalkEveryOccurrenceThenRepeatTheNotFoundBoxUntilTheCaretMoves) {
    SetText("ab ab ab");
    for (int at : {0, 3, 6}) {
        EXPECT_TRUE(Find("ab").empty());
        EXPECT_EQ(Selection(), std::pair(at, 2));
    }
    for (int press = 0; press < 2; ++press) {
        ExpectNotFound(Find("ab"), "ab"); // no wrap-around
        EXPECT_EQ(Selection(), std::pair(6, 2));
    }
    Editor().SetSelectionStart(5); // a click: no selection any more
    EXPECT_TRUE(Find("ab").empty());
    EXPECT_EQ(Selection(), std::pair(0, 2));
}

TEST_F(SearchTest, CaseAlwaysCountsWholeWordAndDirectionDoNot) {
    SetText("ABC abcd");
    EXPECT_TRUE(Find("bc", frWholeWord).empty()); // up, not case-matched, whole word: ignored
    EXPECT_EQ(Selection(), std::pair(5, 2));
    SetText("ABC");
    ExpectNotFound(Find("abc", 0), "abc");
    ExpectNotFound(Find("", frDown), "");
}

TEST_F(SearchTest, TheSearchStartsAfterASelectionThatIsNoMatch) {
    SetText("x ab x ab");
    Editor().SetSelectionStart(0);
    Editor().SetSelectionLength(5); // "x ab " chosen by the user
    EXPECT_TRUE(Find("ab").empty());
    EXPECT_EQ(Selection(), std::pair(7, 2));
}

TEST_F(SearchTest, EveryPressReplacesTheFirstOccurrenceOnlyAndUndoDoesNotTakeItBack) {
    SetText("a b a");
    ::SetFocus(form_->Edit2->Handle());
    EXPECT_TRUE(Replace("a", "aa").empty());
    EXPECT_EQ(Editor().Text(), "aa b a");
    EXPECT_TRUE(Replace("a", "aa", frReplaceAll).empty()); // Replace All: one a press too
    EXPECT_EQ(Editor().Text(), "aaa b a");
    EXPECT_EQ(::GetFocus(), form_->Edit2->Handle()); // the focus stays where it was
    form_->ToolButton19Click();
    EXPECT_EQ(Editor().Text(), "aaa b a");
    ExpectNotFound(Replace("c", "d"), "c");
    EXPECT_EQ(Editor().Text(), "aaa b a");
    ExpectNotFound(Find("a&b"), "a&b");
}

TEST_F(SearchTest, WrappedLinesShiftNeitherTheFoundNorTheReplacedRange) {
    std::string paragraph;
    for (int k = 1; k <= 60; ++k) paragraph += "w" + std::to_string(k) + " ";
    SetText(paragraph + "\r\nfind me");
    const int wrap = static_cast<int>(::SendMessageA(Editor().Handle(), EM_LINEINDEX, 1, 0));
    ASSERT_GT(wrap, 0);
    ASSERT_LT(wrap, static_cast<int>(paragraph.size())); // the paragraph wraps
    EXPECT_TRUE(Replace("find", "FOUND").empty());
    EXPECT_EQ(Editor().Text(), paragraph + "\r\nFOUND me");
    // An occurrence across the wrap point is one as well.
    const std::string across = paragraph.substr(static_cast<std::size_t>(wrap) - 3, 6);
    EXPECT_TRUE(Find(across).empty());
    EXPECT_EQ(Selection(), std::pair(wrap - 3, 6));
    EXPECT_TRUE(Replace(across, "<>").empty());
    EXPECT_EQ(Editor().Text().substr(static_cast<std::size_t>(wrap) - 3, 2), "<>");
}

TEST_F(SearchTest, AMatchNeverStartsOrEndsInsideADoubleByteCharacter) {
    // "ソ" ends in the byte of "\", "ァ" in that of "@".
    SetText("ソース\\ァ@日本");
    EXPECT_TRUE(Find("\\").empty());
    EXPECT_EQ(Selection(), std::pair(6, 1));
    Editor().SetSelectionStart(0);
    EXPECT_TRUE(Find("@").empty());
    EXPECT_EQ(Selection(), std::pair(9, 1));
    EXPECT_TRUE(Find("日本").empty());
    EXPECT_EQ(Selection(), std::pair(10, 4));
    EXPECT_TRUE(Replace("\\", "/").empty());
    EXPECT_TRUE(Replace("@", "*").empty());
    EXPECT_EQ(Editor().Text(), "ソース/ァ*日本");
}
