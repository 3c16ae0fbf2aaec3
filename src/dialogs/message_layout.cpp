#include "dialogs/message_layout.h"

#include <algorithm>

#include "base/muldiv.h"

namespace dodir {

namespace {

constexpr std::array<MessageButtonInfo, kMessageButtonKinds> kButtons{{
    {MessageButton::Yes, "Yes", "はい(&Y)", kResultYes},
    {MessageButton::No, "No", "いいえ(&N)", kResultNo},
    {MessageButton::OK, "OK", "OK", kResultOk},
    {MessageButton::Cancel, "Cancel", "キャンセル", kResultCancel},
    {MessageButton::Abort, "Abort", "中止(&A)", kResultAbort},
    {MessageButton::Retry, "Retry", "再試行(&R)", kResultRetry},
    {MessageButton::Ignore, "Ignore", "無視(&I)", kResultIgnore},
    {MessageButton::All, "All", "すべて(&A)", kResultAll},
    {MessageButton::NoToAll, "NoToAll", "すべていいえ(&O)", kResultNoToAll},
    {MessageButton::YesToAll, "YesToAll", "すべてはい(&A)", kResultYesToAll},
    {MessageButton::Help, "Help", "ヘルプ(&H)", kResultNone},
}};

constexpr std::array<MessageKindInfo, 5> kKinds{{
    {MessageKind::Warning, "警告", 32515},      // IDI_EXCLAMATION
    {MessageKind::Error, "エラー", 32513},      // IDI_HAND
    {MessageKind::Information, "情報", 32516},  // IDI_ASTERISK
    {MessageKind::Confirmation, "確認", 32514}, // IDI_QUESTION
    {MessageKind::Custom, nullptr, 0},
}};

constexpr const char* kDivider = "---------------------------"; // 27 "-"
constexpr const char* kLineEnd = "\r\n";

std::string WithoutAmpersands(const std::string& caption) {
    // "&" (0x26) is never the trail byte of a double-byte character, so bytes can be dropped one by one.
    std::string out;
    for (const char c : caption)
        if (c != '&') out += c;
    return out;
}

} // namespace

std::vector<MessageButton> MessageButtons::InRowOrder() const {
    std::vector<MessageButton> out;
    for (const auto& info : kButtons)
        if (Has(info.button)) out.push_back(info.button);
    return out;
}

const std::array<MessageButtonInfo, kMessageButtonKinds>& MessageButtonTable() { return kButtons; }

const MessageButtonInfo& InfoOf(MessageButton button) {
    return kButtons.at(static_cast<std::size_t>(button));
}

const MessageKindInfo& InfoOf(MessageKind kind) { return kKinds.at(static_cast<std::size_t>(kind)); }

bool HasIcon(MessageKind kind) { return InfoOf(kind).iconId != 0; }

std::string MessageCaption(MessageKind kind, const std::string& applicationTitle) {
    const char* caption = InfoOf(kind).caption;
    return caption != nullptr ? std::string(caption) : applicationTitle;
}

MessageButton DefaultButtonOf(MessageButtons buttons) {
    if (buttons.Has(MessageButton::OK)) return MessageButton::OK;
    if (buttons.Has(MessageButton::Yes)) return MessageButton::Yes;
    return MessageButton::Retry;
}

MessageButton CancelButtonOf(MessageButtons buttons) {
    if (buttons.Has(MessageButton::Cancel)) return MessageButton::Cancel;
    if (buttons.Has(MessageButton::No)) return MessageButton::No;
    return MessageButton::OK;
}

DialogUnits DialogUnitsFromSampleExtent(MessageSize sampleExtent) {
    return {sampleExtent.width / 52, sampleExtent.height};
}

MessageMetrics ScaleMessageMetrics(DialogUnits units) {
    MessageMetrics m;
    m.horzMargin = MulDivRound(8, units.x, 4);
    m.vertMargin = MulDivRound(8, units.y, 8);
    m.horzSpacing = MulDivRound(10, units.x, 4);
    m.vertSpacing = MulDivRound(10, units.y, 8);
    m.minButtonWidth = MulDivRound(50, units.x, 4);
    m.buttonHeight = MulDivRound(14, units.y, 8);
    m.buttonSpacing = MulDivRound(4, units.x, 4);
    return m;
}

int MessageTextWidthLimit(int screenWidth) { return screenWidth / 2; }

MessageLayout ComputeMessageLayout(const MessageLayoutInput& input) {
    MessageLayout layout;
    layout.metrics = ScaleMessageMetrics(input.units);
    const MessageMetrics& m = layout.metrics;

    layout.buttonWidth = m.minButtonWidth;
    for (const auto b : input.buttons.InRowOrder())
        layout.buttonWidth = std::max(layout.buttonWidth, input.captionWidths[static_cast<std::size_t>(b)]);

    layout.hasIcon = input.hasIcon;
    layout.block = input.text;
    if (input.hasIcon) {
        layout.block.width += kMessageIconSize + m.horzSpacing;
        layout.block.height = std::max(layout.block.height, kMessageIconSize);
    }

    const int n = input.buttons.Count();
    layout.buttonGroupWidth = n == 0 ? 0 : n * layout.buttonWidth + (n - 1) * m.buttonSpacing;

    layout.clientWidth = std::max(layout.block.width, layout.buttonGroupWidth) + 2 * m.horzMargin;
    layout.clientHeight = layout.block.height + m.buttonHeight + m.vertSpacing + 2 * m.vertMargin;

    if (input.hasIcon) layout.icon = {m.horzMargin, m.vertMargin, kMessageIconSize, kMessageIconSize};
    layout.text = {layout.block.width - input.text.width + m.horzMargin, m.vertMargin, input.text.width,
                   input.text.height};

    const MessageButton defaultButton = DefaultButtonOf(input.buttons);
    const MessageButton cancelButton = CancelButtonOf(input.buttons);
    int left = (layout.clientWidth - layout.buttonGroupWidth) / 2;
    const int top = layout.block.height + m.vertMargin + m.vertSpacing;
    for (const auto b : input.buttons.InRowOrder()) {
        layout.buttons.push_back(
            {b, {left, top, layout.buttonWidth, m.buttonHeight}, b == defaultButton, b == cancelButton});
        left += layout.buttonWidth + m.buttonSpacing;
    }
    return layout;
}

MessagePoint BuildPosition(MessageSize screen, MessageSize form) {
    return {screen.width / 2 - form.width / 2, screen.height / 2 - form.height / 2};
}

int ButtonWidthCache::WidthOf(MessageButton button, MessageMeasure& measure) {
    int& slot = widths_.at(static_cast<std::size_t>(button));
    if (slot == 0) slot = measure.CaptionWidth(InfoOf(button).caption) + kButtonCaptionPadding;
    return slot;
}

bool ButtonWidthCache::IsMeasured(MessageButton button) const {
    return widths_.at(static_cast<std::size_t>(button)) != 0;
}

MessageLayout LayoutMessageBox(const std::string& text, MessageKind kind, MessageButtons buttons,
                               int screenWidth, MessageMeasure& measure, ButtonWidthCache& cache) {
    MessageLayoutInput input;
    input.units = DialogUnitsFromSampleExtent(measure.TextExtent(kDialogUnitSample));
    input.buttons = buttons;
    for (const auto b : buttons.InRowOrder())
        input.captionWidths[static_cast<std::size_t>(b)] = cache.WidthOf(b, measure);
    input.text = measure.WrappedTextSize(text, MessageTextWidthLimit(screenWidth));
    input.hasIcon = HasIcon(kind);
    return ComputeMessageLayout(input);
}

std::string MessageClipboardText(const std::string& caption, const std::string& message,
                                 MessageButtons buttons) {
    std::string captions;
    for (const auto b : buttons.InRowOrder()) captions += WithoutAmpersands(InfoOf(b).caption) + "   ";

    std::string out;
    for (const std::string& line : {std::string(kDivider), caption, std::string(kDivider), message,
                                    std::string(kDivider), captions, std::string(kDivider)})
        out += line + kLineEnd;
    return out;
}

} // namespace dodir
