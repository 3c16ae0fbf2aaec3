#include "dialogs/message_layout.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace dodir;

namespace {

using B = MessageButton;

const std::string kDash27(27, '-');

// Measures with fixed answers and records what it was asked.
class FakeMeasure : public MessageMeasure {
  public:
    MessageSize sampleExtent{364, 13}; // DUx 7, DUy 13
    MessageSize wrapped{120, 13};
    std::vector<std::string> calls;
    std::vector<std::string> captionsMeasured;
    int lastWidthLimit = -1;

    MessageSize TextExtent(const std::string& text) override {
        calls.push_back("extent:" + text);
        return sampleExtent;
    }
    int CaptionWidth(const std::string& caption) override {
        calls.push_back("caption");
        captionsMeasured.push_back(caption);
        return static_cast<int>(caption.size()) * 10; // bytes, so each caption gives its own width
    }
    MessageSize WrappedTextSize(const std::string& text, int widthLimit) override {
        calls.push_back("wrap:" + text);
        lastWidthLimit = widthLimit;
        return wrapped;
    }
};

MessageLayoutInput Input(int textWidth, int textHeight, bool icon, MessageButtons buttons) {
    MessageLayoutInput in;
    in.units = {7, 13};
    in.text = {textWidth, textHeight};
    in.hasIcon = icon;
    in.buttons = buttons;
    for (auto& w : in.captionWidths) w = 30;
    return in;
}

} // namespace

// --- Dialog units and scaled metrics ---

TEST(MessageMetrics, DialogUnitsFromTheSampleExtent) {
    EXPECT_EQ(std::string(kDialogUnitSample).size(), 52u);
    EXPECT_EQ(DialogUnitsFromSampleExtent({364, 13}), (DialogUnits{7, 13}));
    EXPECT_EQ(DialogUnitsFromSampleExtent({415, 16}), (DialogUnits{7, 16})); // 7.98: remainder dropped
    EXPECT_EQ(DialogUnitsFromSampleExtent({51, 9}), (DialogUnits{0, 9}));
}

TEST(MessageMetrics, ExampleWithSevenAndThirteen) {
    const MessageMetrics m = ScaleMessageMetrics({7, 13});
    EXPECT_EQ(m.horzMargin, 14);
    EXPECT_EQ(m.vertMargin, 13);
    EXPECT_EQ(m.horzSpacing, 18);    // 17.5 rounds up
    EXPECT_EQ(m.vertSpacing, 16);    // 16.25
    EXPECT_EQ(m.minButtonWidth, 88); // 87.5 rounds up
    EXPECT_EQ(m.buttonHeight, 23);   // 22.75
    EXPECT_EQ(m.buttonSpacing, 7);
}

TEST(MessageMetrics, RoundingToNearest) {
    // DUx 5: 12.5 -> 13 and 62.5 -> 63; DUy 7: 8.75 -> 9 and 12.25 -> 12.
    const MessageMetrics m = ScaleMessageMetrics({5, 7});
    EXPECT_EQ(m, (MessageMetrics{10, 7, 13, 9, 63, 12, 5}));
    // DUx 6, DUy 16: all exact or x.5.
    EXPECT_EQ(ScaleMessageMetrics({6, 16}), (MessageMetrics{12, 16, 15, 20, 75, 28, 6}));
}

// --- Tables ---

TEST(MessageTables, ElevenButtonKindsInRowOrder) {
    const auto& table = MessageButtonTable();
    ASSERT_EQ(table.size(), 11u);
    const std::vector<std::string> names{"Yes",    "No",  "OK",      "Cancel",   "Abort", "Retry",
                                         "Ignore", "All", "NoToAll", "YesToAll", "Help"};
    const std::vector<std::string> captions{"はい(&Y)",         "いいえ(&N)",     "OK",        "キャンセル",
                                            "中止(&A)",         "再試行(&R)",     "無視(&I)",  "すべて(&A)",
                                            "すべていいえ(&O)", "すべてはい(&A)", "ヘルプ(&H)"};
    const std::vector<int> results{6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
    for (std::size_t row = 0; row < table.size(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(static_cast<std::size_t>(table[row].button), row);
        EXPECT_EQ(table[row].name, names[row]);
        EXPECT_EQ(table[row].caption, captions[row]);
        EXPECT_EQ(table[row].result, results[row]);
        EXPECT_EQ(&InfoOf(table[row].button), &table[row]);
    }
}

TEST(MessageTables, KindsFixCaptionAndIcon) {
    EXPECT_EQ(MessageCaption(MessageKind::Warning, "ミルテ"), "警告");
    EXPECT_EQ(MessageCaption(MessageKind::Error, "ミルテ"), "エラー");
    EXPECT_EQ(MessageCaption(MessageKind::Information, "ミルテ"), "情報");
    EXPECT_EQ(MessageCaption(MessageKind::Confirmation, "ミルテ"), "確認");
    EXPECT_EQ(MessageCaption(MessageKind::Custom, "ミルテ"), "ミルテ");
    EXPECT_EQ(MessageCaption(MessageKind::Custom, ""), "");
    EXPECT_EQ(InfoOf(MessageKind::Warning).iconId, 32515);
    EXPECT_EQ(InfoOf(MessageKind::Error).iconId, 32513);
    EXPECT_EQ(InfoOf(MessageKind::Information).iconId, 32516);
    EXPECT_EQ(InfoOf(MessageKind::Confirmation).iconId, 32514);
    EXPECT_TRUE(HasIcon(MessageKind::Confirmation));
    EXPECT_FALSE(HasIcon(MessageKind::Custom));
}

// --- Button sets ---

TEST(MessageButtonSet, RowOrderWhateverTheListingOrder) {
    const MessageButtons set{B::Help, B::No, B::Yes, B::Cancel};
    EXPECT_EQ(set.InRowOrder(), (std::vector<B>{B::Yes, B::No, B::Cancel, B::Help}));
    EXPECT_EQ(set.Count(), 4);
    EXPECT_EQ(set.Bits(), 0b10000001011u);
    EXPECT_TRUE(set.Has(B::Cancel));
    EXPECT_FALSE(set.Has(B::OK));
    EXPECT_EQ((MessageButtons{B::No, B::Yes}), (MessageButtons{B::Yes, B::No}));
}

TEST(MessageButtonSet, BitsBeyondTheElevenKindsAreDropped) {
    const MessageButtons set = MessageButtons::FromBits(0xFFFFFFFFu);
    EXPECT_EQ(set.Count(), 11);
    EXPECT_EQ(set.Bits(), 0x7FFu);
    EXPECT_TRUE(MessageButtons{}.Empty());
    EXPECT_TRUE(MessageButtons{}.InRowOrder().empty());
}

TEST(MessageButtonSet, DefaultIsOkThenYesThenRetry) {
    EXPECT_EQ(DefaultButtonOf({B::OK}), B::OK);
    EXPECT_EQ(DefaultButtonOf({B::Yes, B::No, B::OK}), B::OK);
    EXPECT_EQ(DefaultButtonOf({B::Yes, B::No}), B::Yes);
    EXPECT_EQ(DefaultButtonOf({B::Abort, B::Retry, B::Ignore}), B::Retry);
    EXPECT_EQ(DefaultButtonOf({B::Cancel}), B::Retry);
    EXPECT_EQ(DefaultButtonOf({}), B::Retry);
}

TEST(MessageButtonSet, CancelIsCancelThenNoThenOk) {
    EXPECT_EQ(CancelButtonOf({B::OK, B::Cancel}), B::Cancel);
    EXPECT_EQ(CancelButtonOf({B::Yes, B::No, B::Cancel}), B::Cancel);
    EXPECT_EQ(CancelButtonOf({B::Yes, B::No}), B::No);
    EXPECT_EQ(CancelButtonOf({B::OK}), B::OK);
    EXPECT_EQ(CancelButtonOf({B::Abort, B::Retry, B::Ignore}), B::OK);
    EXPECT_EQ(CancelButtonOf({}), B::OK);
}

// --- Layout ---

TEST(MessageLayoutBox, PlainNoticeCentresItsButtonBelowTheText) {
    // Text 120 x 13, no icon, one OK button narrower than the minimum width 88.
    const MessageLayout l = ComputeMessageLayout(Input(120, 13, false, {B::OK}));
    EXPECT_EQ(l.buttonWidth, 88);
    EXPECT_EQ(l.buttonGroupWidth, 88);
    EXPECT_EQ(l.block, (MessageSize{120, 13}));
    EXPECT_EQ(l.clientWidth, 148); // 120 + 2 * 14
    EXPECT_EQ(l.clientHeight, 78); // 13 + 23 + 16 + 2 * 13
    EXPECT_FALSE(l.hasIcon);
    EXPECT_EQ(l.text, (MessageRect{14, 13, 120, 13}));
    ASSERT_EQ(l.buttons.size(), 1u);
    EXPECT_EQ(l.buttons[0].button, B::OK);
    EXPECT_EQ(l.buttons[0].bounds, (MessageRect{30, 42, 88, 23})); // (148 - 88) / 2; 13 + 13 + 16
    EXPECT_TRUE(l.buttons[0].isDefault);
    EXPECT_TRUE(l.buttons[0].isCancel);
    // Centred: the same gap on both sides.
    EXPECT_EQ(l.buttons[0].bounds.left,
              l.clientWidth - (l.buttons[0].bounds.left + l.buttons[0].bounds.width));
}

TEST(MessageLayoutBox, IconWidensTheBlockAndPushesTheTextRight) {
    const MessageLayout l = ComputeMessageLayout(Input(200, 13, true, {B::OK}));
    EXPECT_TRUE(l.hasIcon);
    EXPECT_EQ(l.block, (MessageSize{250, 32})); // 200 + 32 + 18; height at least the icon's
    EXPECT_EQ(l.icon, (MessageRect{14, 13, 32, 32}));
    EXPECT_EQ(l.text, (MessageRect{64, 13, 200, 13})); // margin + icon + spacing
    EXPECT_EQ(l.clientWidth, 278);
    EXPECT_EQ(l.clientHeight, 97);          // 32 + 23 + 16 + 26
    EXPECT_EQ(l.buttons[0].bounds.top, 61); // 32 + 13 + 16
}

TEST(MessageLayoutBox, ShortTextWithIconIsAsHighAsWithThirtyTwoPixels) {
    const MessageLayout shortText = ComputeMessageLayout(Input(100, 13, true, {B::OK}));
    const MessageLayout tallText = ComputeMessageLayout(Input(100, 32, true, {B::OK}));
    EXPECT_EQ(shortText.clientHeight, tallText.clientHeight);
    EXPECT_EQ(shortText.buttons[0].bounds, tallText.buttons[0].bounds);
    // Without an icon the short text gives a lower box.
    EXPECT_EQ(ComputeMessageLayout(Input(100, 13, false, {B::OK})).clientHeight, shortText.clientHeight - 19);
}

TEST(MessageLayoutBox, TallTextGrowsTheBox) {
    const MessageLayout l = ComputeMessageLayout(Input(300, 65, true, {B::OK}));
    EXPECT_EQ(l.block.height, 65);
    EXPECT_EQ(l.clientHeight, 65 + 23 + 16 + 26);
    EXPECT_EQ(l.text, (MessageRect{64, 13, 300, 65}));
    EXPECT_EQ(l.buttons[0].bounds.top, 65 + 13 + 16);
}

TEST(MessageLayoutBox, ButtonGroupWiderThanTextSetsTheWidth) {
    // Question: icon, short text, Yes asks for 96 and No for 100: both get 100.
    MessageLayoutInput in = Input(50, 13, true, {B::No, B::Yes});
    in.captionWidths[static_cast<std::size_t>(B::Yes)] = 96;
    in.captionWidths[static_cast<std::size_t>(B::No)] = 100;
    const MessageLayout l = ComputeMessageLayout(in);
    EXPECT_EQ(l.block.width, 100); // 50 + 32 + 18
    EXPECT_EQ(l.buttonWidth, 100);
    EXPECT_EQ(l.buttonGroupWidth, 207); // 2 * 100 + 7
    EXPECT_EQ(l.clientWidth, 235);      // 207 + 28
    ASSERT_EQ(l.buttons.size(), 2u);
    EXPECT_EQ(l.buttons[0].button, B::Yes);
    EXPECT_EQ(l.buttons[0].bounds, (MessageRect{14, 61, 100, 23}));
    EXPECT_EQ(l.buttons[1].button, B::No);
    EXPECT_EQ(l.buttons[1].bounds, (MessageRect{121, 61, 100, 23})); // 14 + 100 + 7
    EXPECT_TRUE(l.buttons[0].isDefault);
    EXPECT_FALSE(l.buttons[0].isCancel);
    EXPECT_FALSE(l.buttons[1].isDefault);
    EXPECT_TRUE(l.buttons[1].isCancel);
    // The text stays at the block's right end, not centred.
    EXPECT_EQ(l.text.left, 64);
}

TEST(MessageLayoutBox, OnlyRequestedCaptionsWidenTheButtons) {
    MessageLayoutInput in = Input(120, 13, false, {B::OK});
    in.captionWidths[static_cast<std::size_t>(B::Help)] = 500;
    EXPECT_EQ(ComputeMessageLayout(in).buttonWidth, 88);
    in.captionWidths[static_cast<std::size_t>(B::OK)] = 89;
    EXPECT_EQ(ComputeMessageLayout(in).buttonWidth, 89);
}

TEST(MessageLayoutBox, ButtonsFollowRowOrderWithMarksOnlyOnPresentButtons) {
    const MessageLayout l = ComputeMessageLayout(Input(400, 13, false, {B::Ignore, B::Abort, B::Retry}));
    ASSERT_EQ(l.buttons.size(), 3u);
    EXPECT_EQ(l.buttons[0].button, B::Abort);
    EXPECT_EQ(l.buttons[1].button, B::Retry);
    EXPECT_EQ(l.buttons[2].button, B::Ignore);
    // Group 3 * 88 + 2 * 7 = 278 in a client 428 wide: first at 75.
    EXPECT_EQ(l.buttons[0].bounds.left, 75);
    EXPECT_EQ(l.buttons[1].bounds.left, 170);
    EXPECT_EQ(l.buttons[2].bounds.left, 265);
    EXPECT_FALSE(l.buttons[0].isDefault);
    EXPECT_TRUE(l.buttons[1].isDefault);                      // Retry
    for (const auto& b : l.buttons) EXPECT_FALSE(b.isCancel); // OK is not there
}

TEST(MessageLayoutBox, OddGapsTruncate) {
    // Client 14 + 101 + 14 = 129, group 88: (129 - 88) / 2 = 20.
    const MessageLayout l = ComputeMessageLayout(Input(101, 13, false, {B::OK}));
    EXPECT_EQ(l.buttons[0].bounds.left, 20);
}

TEST(MessageLayoutBox, NoButtonsKeepsTheButtonRowHeight) {
    const MessageLayout l = ComputeMessageLayout(Input(60, 13, false, {}));
    EXPECT_TRUE(l.buttons.empty());
    EXPECT_EQ(l.buttonGroupWidth, 0);
    EXPECT_EQ(l.clientWidth, 88);  // 60 + 28
    EXPECT_EQ(l.clientHeight, 78); // 13 + 23 + 16 + 26
}

TEST(MessageLayoutBox, TextLimitIsHalfTheScreen) {
    EXPECT_EQ(MessageTextWidthLimit(1280), 640);
    EXPECT_EQ(MessageTextWidthLimit(1279), 639);
}

TEST(MessageLayoutPosition, BuildHalvesEachSizeFirst) {
    EXPECT_EQ(BuildPosition({1024, 768}, {301, 151}), (MessagePoint{362, 309}));
    EXPECT_EQ(BuildPosition({101, 100}, {300, 301}), (MessagePoint{-100, -100}));
}

// --- Measuring through the interface ---

TEST(MessageLayoutMeasure, MeasuresUnitsThenCaptionsThenText) {
    FakeMeasure measure;
    ButtonWidthCache cache;
    const MessageLayout l = LayoutMessageBox("ファイルを上書き？", MessageKind::Confirmation, {B::No, B::Yes},
                                             1280, measure, cache);
    EXPECT_EQ(measure.calls, (std::vector<std::string>{"extent:" + std::string(kDialogUnitSample), "caption",
                                                       "caption", "wrap:ファイルを上書き？"}));
    EXPECT_EQ(measure.captionsMeasured, (std::vector<std::string>{"はい(&Y)", "いいえ(&N)"}));
    EXPECT_EQ(measure.lastWidthLimit, 640);
    EXPECT_TRUE(l.hasIcon);
    EXPECT_EQ(l.metrics, ScaleMessageMetrics({7, 13}));
    EXPECT_EQ(l.text, (MessageRect{64, 13, 120, 13}));
    // "いいえ(&N)" is 10 bytes: 100 + 8 beats the minimum 88.
    EXPECT_EQ(l.buttonWidth, 108);
}

TEST(MessageLayoutMeasure, CaptionWidthsAreMeasuredOncePerKind) {
    FakeMeasure measure;
    ButtonWidthCache cache;
    EXPECT_FALSE(cache.IsMeasured(B::OK));
    LayoutMessageBox("上書きしました。", MessageKind::Custom, {B::OK}, 1024, measure, cache);
    EXPECT_TRUE(cache.IsMeasured(B::OK));
    EXPECT_FALSE(cache.IsMeasured(B::Yes));
    EXPECT_EQ(cache.WidthOf(B::OK, measure), 28); // "OK": 20 + 8
    LayoutMessageBox("見つかりません", MessageKind::Error, {B::OK}, 1024, measure, cache);
    LayoutMessageBox("ファイルを保存しますか？", MessageKind::Confirmation, {B::Yes, B::No}, 1024, measure,
                     cache);
    LayoutMessageBox("プログラムを終了しますか？", MessageKind::Confirmation, {B::Yes, B::No}, 1024, measure,
                     cache);
    EXPECT_EQ(measure.captionsMeasured, (std::vector<std::string>{"OK", "はい(&Y)", "いいえ(&N)"}));
}

TEST(MessageLayoutMeasure, PlainNoticeHasNoIcon) {
    FakeMeasure measure;
    ButtonWidthCache cache;
    const MessageLayout l =
        LayoutMessageBox("上書きしました。", MessageKind::Custom, {B::OK}, 1024, measure, cache);
    EXPECT_FALSE(l.hasIcon);
    EXPECT_EQ(l.text.left, 14);
    ASSERT_EQ(l.buttons.size(), 1u);
    EXPECT_GE(l.clientWidth, l.buttonGroupWidth + 2 * l.metrics.horzMargin);
    EXPECT_EQ(l.buttons[0].bounds.left,
              l.clientWidth - (l.buttons[0].bounds.left + l.buttons[0].bounds.width));
}

// --- Clipboard text ---

TEST(MessageClipboard, QuestionLineByLine) {
    const std::string text = MessageClipboardText("確認", "ファイルを上書き？", {B::Yes, B::No});
    EXPECT_EQ(text, kDash27 + "\r\n確認\r\n" + kDash27 + "\r\nファイルを上書き？\r\n" + kDash27 +
                        "\r\nはい(Y)   いいえ(N)   \r\n" + kDash27 + "\r\n");
}

TEST(MessageClipboard, PlainNotice) {
    EXPECT_EQ(MessageClipboardText("ミルテ", "上書きしました。", {B::OK}),
              kDash27 + "\r\nミルテ\r\n" + kDash27 + "\r\n上書きしました。\r\n" + kDash27 + "\r\nOK   \r\n" +
                  kDash27 + "\r\n");
}

TEST(MessageClipboard, ButtonsInRowOrderWithoutAmpersands) {
    const std::string text = MessageClipboardText("c", "m", MessageButtons::FromBits(0x7FF));
    EXPECT_NE(
        text.find("\r\nはい(Y)   いいえ(N)   OK   キャンセル   中止(A)   再試行(R)   無視(I)   すべて(A)   "
                  "すべていいえ(O)   すべてはい(A)   ヘルプ(H)   \r\n"),
        std::string::npos);
    EXPECT_EQ(text.find('&'), std::string::npos);
}

TEST(MessageClipboard, MessageTextIsCopiedAsIs) {
    // Only the button captions lose their "&"; the message keeps its own.
    EXPECT_EQ(MessageClipboardText("エラー", "a&b", {B::OK}), kDash27 + "\r\nエラー\r\n" + kDash27 +
                                                                  "\r\na&b\r\n" + kDash27 + "\r\nOK   \r\n" +
                                                                  kDash27 + "\r\n");
}

TEST(MessageClipboard, NoButtonsLeavesAnEmptyLine) {
    EXPECT_EQ(MessageClipboardText("t", "", {}),
              kDash27 + "\r\nt\r\n" + kDash27 + "\r\n\r\n" + kDash27 + "\r\n\r\n" + kDash27 + "\r\n");
}
