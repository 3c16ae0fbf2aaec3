#include "printing/line_layout.h"

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/cp932.h"

using namespace dodir;

namespace {

constexpr int kH = 16;             // text height and tmHeight
constexpr int kLine = kH + 2;      // advance of a line with text
constexpr int kAve = 5;            // tmAveCharWidth
constexpr int kTabStop = 8 * kAve; // T
constexpr int kWide = 20;          // a double-byte character; other bytes 10, digits their value
const std::string kKanji = "あ";   // two bytes

struct Draw {
    int page, x, y;
    std::string text;
    bool operator==(const Draw&) const = default;
    friend void PrintTo(const Draw& d, std::ostream* os) {
        *os << "{page " << d.page << ", " << d.x << ", " << d.y << ", \"" << d.text << "\"}";
    }
};

class FakeCanvas : public TLineCanvas {
  public:
    int width = 100, height = 1000;
    int page = 0, jobs = 0, finished = 0, aborted = 0;
    std::vector<Draw> draws;

    void StartJob() override { ++jobs, page = 1; }
    void NextPage() override { ++page; }
    void FinishJob() override { ++finished; }
    void AbortJob() noexcept override { ++aborted; }
    int PrintableWidth() override { return width; }
    int PrintableHeight() override { return height; }
    TLineFontMetrics FontMetrics() override { return {kH, kAve}; }
    int MeasureRun(std::string_view run, std::span<int> ends) override {
        int w = 0;
        for (std::size_t i = 0; i < run.size(); ++i) {
            if (IsLeadByte(static_cast<unsigned char>(run[i])) && i + 1 < run.size()) {
                ends[i] = 0; // not a character end: must not be read
                ends[++i] = w += kWide;
            } else {
                ends[i] = w += run[i] >= '0' && run[i] <= '9' ? run[i] - '0' : 10;
            }
        }
        return kH;
    }
    void DrawBytes(int x, int y, std::string_view bytes) override {
        draws.push_back({page, x, y, std::string(bytes)});
    }

    // Prints each line followed by a line end, as the print command does.
    std::vector<Draw> Print(const std::vector<std::string>& lines) {
        TLinePrinter printer(*this);
        printer.Open();
        for (const auto& line : lines) printer.WriteText(line), printer.WriteLineEnd();
        printer.Close();
        return draws;
    }
};

} // namespace

TEST(LinePrinterLines, TextLinesAdvanceByTextHeightPlusTwoBlankLinesByFontHeight) {
    FakeCanvas c;
    EXPECT_EQ(c.Print({"abc", "de", "f"}),
              (std::vector<Draw>{{1, 0, 0, "abc"}, {1, 0, kLine, "de"}, {1, 0, 2 * kLine, "f"}}));
    EXPECT_EQ(c.page, 1);
    FakeCanvas blank;
    EXPECT_EQ(blank.Print({"a", "", "b"}), (std::vector<Draw>{{1, 0, 0, "a"}, {1, 0, kLine + kH, "b"}}));
}

TEST(LinePrinterWrap, BreaksAfterTheLastCharacterThatFitsEvenInsideAWord) {
    FakeCanvas c; // 100 wide: ten letters fit exactly
    EXPECT_EQ(
        c.Print({"abcdefghij", "klmnopqrstuvw"}),
        (std::vector<Draw>{{1, 0, 0, "abcdefghij"}, {1, 0, kLine, "klmnopqrst"}, {1, 0, 2 * kLine, "uvw"}}));
}

TEST(LinePrinterDoubleByte, ACharacterIsNeverCutAlsoAcrossPieces) {
    FakeCanvas c;
    EXPECT_EQ(c.Print({"abcdefghi" + kKanji}),
              (std::vector<Draw>{{1, 0, 0, "abcdefghi"}, {1, 0, kLine, kKanji}}));
    // The lead byte ends the first 128-byte piece, the trail byte begins the second.
    const std::string line = std::string(TLinePrinter::kBufferSize - 1, 'a') + kKanji;
    const int before = 10 * static_cast<int>(TLinePrinter::kBufferSize - 1);
    for (const int width : {before + kWide, before + kWide - 1}) {
        FakeCanvas p;
        p.width = width;
        const auto draws = p.Print({line});
        ASSERT_EQ(draws.size(), 2u) << width;
        EXPECT_EQ(draws[1],
                  (width == before + kWide ? Draw{1, before, 0, kKanji} : Draw{1, 0, kLine, kKanji}));
    }
    // A lead byte left at the end of the text is drawn alone when the printer closes.
    FakeCanvas tail;
    TLinePrinter printer(tail);
    printer.Open();
    printer.WriteText("a" + kKanji.substr(0, 1));
    printer.Close();
    EXPECT_EQ(tail.draws, (std::vector<Draw>{{1, 0, 0, "a"}, {1, 10, 0, kKanji.substr(0, 1)}}));
}

TEST(LinePrinterTabs, ToTheLargestMultipleOfTNotAbovePenXPlusTPlusOne) {
    // Prefix widths 0, T - 2, T - 1 and T.
    const std::vector<std::pair<std::string, int>> cases{
        {"", kTabStop}, {"99992", kTabStop}, {"99993", 2 * kTabStop}, {"99994", 2 * kTabStop}};
    for (const auto& [prefix, stop] : cases) {
        FakeCanvas c;
        EXPECT_EQ(c.Print({prefix + "\tx"}).back(), (Draw{1, stop, 0, "x"})) << prefix;
    }
    FakeCanvas past; // from 80 to 120, past 100: the text after the tab starts the next line
    EXPECT_EQ(past.Print({"aaaaaaaa\tx"}).back(), (Draw{1, 0, kLine, "x"}));
}

TEST(LinePrinterControls, CrKeepsThePenFfStartsAPageAtTheTopLeft) {
    FakeCanvas c;
    EXPECT_EQ(
        c.Print({"ab\rcd", "ef\fgh", "ij"}),
        (std::vector<Draw>{
            {1, 0, 0, "ab"}, {1, 20, 0, "cd"}, {1, 0, kLine, "ef"}, {2, 0, 0, "gh"}, {2, 0, kLine, "ij"}}));
}

TEST(LinePrinterPages, NewPageWhenPenYPassesBottomLessTwiceTheEndedLineHeight) {
    // A page 5H high takes four text lines (the fourth ends at 4H > 5H - 2H), 5H - 1 only three.
    for (const int bottom : {5 * kLine, 5 * kLine - 1}) {
        FakeCanvas c;
        c.height = bottom;
        const auto draws = c.Print({"a", "b", "c", "d", "e"});
        const std::size_t perPage = bottom == 5 * kLine ? 4 : 3;
        for (std::size_t i = 0; i < draws.size(); ++i)
            EXPECT_EQ(draws[i].page, 1 + static_cast<int>(i / perPage)) << bottom << " " << i;
    }
    // Blank lines (LineHeight 0) break the page only past the bottom, but text goes on a page
    // only where it fits: on a page 6h high five blank lines leave room for it, six do not.
    for (const int blanks : {5, 6, 7}) {
        FakeCanvas c;
        c.height = 6 * kH;
        std::vector<std::string> lines(blanks, "");
        lines.push_back("x");
        EXPECT_EQ(c.Print(lines).back(), (blanks == 5 ? Draw{1, 0, 5 * kH, "x"} : Draw{2, 0, 0, "x"}));
    }
    FakeCanvas lost; // the pen at B - 2H after text lines, then two blank lines
    lost.height = 5 * kLine;
    EXPECT_EQ(lost.Print({"a", "b", "c", "", "", "LOST"}).back(), (Draw{2, 0, 0, "LOST"}));
}

TEST(LinePrinterJob, AnEmptyDocumentIsOneBlankPageAFullPageNoMoreAndWritesNeedAnOpenPrinter) {
    FakeCanvas c;
    EXPECT_TRUE(c.Print({}).empty());
    EXPECT_EQ((std::vector<int>{c.jobs, c.finished, c.page}), (std::vector<int>{1, 1, 1}));
    // A page 5H high is full after four text lines: they print on one page, a fifth line on a
    // second, and a form feed at the end still starts one.
    const std::vector<std::pair<std::vector<std::string>, int>> documents{
        {{"a", "b", "c", "d"}, 1}, {{"a", "b", "c", "d", "e"}, 2}, {{"a", "\f"}, 2}};
    for (const auto& [lines, pages] : documents) {
        FakeCanvas full;
        full.height = 5 * kLine;
        full.Print(lines);
        EXPECT_EQ(full.page, pages) << lines.size();
    }
    TLinePrinter closed(c);
    EXPECT_THROW(closed.WriteText("a"), std::logic_error);
    EXPECT_THROW(closed.Close(), std::logic_error);
}

// A job that an error leaves, as the line printer opens or later, is aborted; a finished one is not.
TEST(LinePrinterJob, AnErrorOnceTheJobHasStartedAbortsItAndAFinishedJobIsNotAborted) {
    struct NoPageSize : FakeCanvas {
        int PrintableHeight() override { throw std::runtime_error("no page size"); }
    } atOpen;
    TLinePrinter opening(atOpen);
    EXPECT_THROW(opening.Open(), std::runtime_error);
    EXPECT_FALSE(opening.IsOpen());
    FakeCanvas midJob, done;
    EXPECT_THROW(
        {
            TLinePrinter printer(midJob);
            printer.Open();
            throw std::runtime_error("the document fails");
        },
        std::runtime_error);
    done.Print({"a"});
    EXPECT_EQ((std::vector<int>{atOpen.aborted, midJob.aborted, midJob.finished, done.aborted}),
              (std::vector<int>{1, 1, 0, 0}));
}

TEST(LinePrinterWideCharacter, AtTheLeftEdgeItIsDrawnOnceAndTheTextMovesOn) {
    FakeCanvas c;
    c.width = kWide - 5;
    EXPECT_EQ(
        c.Print({kKanji + kKanji, kKanji + "\rb"}),
        (std::vector<Draw>{
            {1, 0, 0, kKanji}, {1, 0, kLine, kKanji}, {1, 0, 2 * kLine, kKanji}, {1, 0, 3 * kLine, "b"}}));
}
