// The message box without the platform: its button and kind tables, the dialog-unit
// metrics, the placement of every part from measured text sizes, and its clipboard text.
// The window code measures text (through MessageMeasure) and creates the windows at the
// rectangles computed here.
#pragma once
#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/geometry.h"

namespace dodir {

// Kinds of message box; the kind fixes the caption and the icon.
enum class MessageKind { Warning, Error, Information, Confirmation, Custom };

// Button kinds in row order; the value is the bit of the kind in MessageButtons.
enum class MessageButton { Yes, No, OK, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help };

inline constexpr std::size_t kMessageButtonKinds = 11;

// Results of a message box (a modal result).
inline constexpr int kResultNone = 0;
inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2; // also the result of closing through the title bar
inline constexpr int kResultAbort = 3;
inline constexpr int kResultRetry = 4;
inline constexpr int kResultIgnore = 5;
inline constexpr int kResultYes = 6;
inline constexpr int kResultNo = 7;
inline constexpr int kResultAll = 8;
inline constexpr int kResultNoToAll = 9;
inline constexpr int kResultYesToAll = 10;

// A set of button kinds; bit n is the button of row n.
class MessageButtons {
  public:
    constexpr MessageButtons() = default;
    constexpr MessageButtons(std::initializer_list<MessageButton> buttons) {
        for (const auto b : buttons) bits_ |= Bit(b);
    }
    static constexpr MessageButtons FromBits(unsigned bits) {
        MessageButtons set;
        set.bits_ = bits & ((1u << kMessageButtonKinds) - 1);
        return set;
    }

    constexpr bool Has(MessageButton b) const { return (bits_ & Bit(b)) != 0; }
    constexpr unsigned Bits() const { return bits_; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr int Count() const {
        int n = 0;
        for (unsigned b = bits_; b != 0; b &= b - 1) ++n;
        return n;
    }
    // The requested buttons left to right.
    std::vector<MessageButton> InRowOrder() const;

    constexpr bool operator==(const MessageButtons&) const = default;

  private:
    static constexpr unsigned Bit(MessageButton b) { return 1u << static_cast<unsigned>(b); }
    unsigned bits_ = 0;
};

// One row of the button table. Captions mark the accelerator letter with "&".
struct MessageButtonInfo {
    MessageButton button;
    const char* name; // the button component's name inside the box
    const char* caption;
    int result; // 0: the button does not close the box (Help)
};

// The eleven button kinds in row order.
const std::array<MessageButtonInfo, kMessageButtonKinds>& MessageButtonTable();
const MessageButtonInfo& InfoOf(MessageButton button);

// One row of the kind table.
struct MessageKindInfo {
    MessageKind kind;
    const char* caption; // nullptr: the application title
    int iconId;          // stock icon resource id (IDI_*); 0: no icon
};

const MessageKindInfo& InfoOf(MessageKind kind);
bool HasIcon(MessageKind kind);
// The box caption: the kind's caption, or the application title for Custom.
std::string MessageCaption(MessageKind kind, const std::string& applicationTitle);

// The button Enter presses and the one Esc presses. Either may be a kind the box does not
// have (Retry, OK), in which case no button carries that mark.
MessageButton DefaultButtonOf(MessageButtons buttons);
MessageButton CancelButtonOf(MessageButtons buttons);

using MessageSize = TSize;

struct MessageRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const MessageRect&) const = default;
};

using MessagePoint = TPoint;

// The string measured for the dialog units: A to Z followed by a to z.
inline constexpr const char* kDialogUnitSample = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Average character width and character height of the box's font.
struct DialogUnits {
    int x = 0; // DUx
    int y = 0; // DUy
    bool operator==(const DialogUnits&) const = default;
};

// From the extent of kDialogUnitSample: its width divided by 52 (remainder dropped), its height.
DialogUnits DialogUnitsFromSampleExtent(MessageSize sampleExtent);

// Sizes in pixels derived from the dialog units, rounded as MulDiv does.
struct MessageMetrics {
    int horzMargin = 0;
    int vertMargin = 0;
    int horzSpacing = 0; // icon to text
    int vertSpacing = 0; // text to buttons
    int minButtonWidth = 0;
    int buttonHeight = 0;
    int buttonSpacing = 0;
    bool operator==(const MessageMetrics&) const = default;
};

MessageMetrics ScaleMessageMetrics(DialogUnits units);

inline constexpr int kMessageIconSize = 32;
// Added to a caption's measured width to give the button width it asks for.
inline constexpr int kButtonCaptionPadding = 8;

// Width limit for wrapping the message text: half the screen width, remainder dropped.
int MessageTextWidthLimit(int screenWidth);

// Everything the layout needs that only the platform can measure.
struct MessageLayoutInput {
    DialogUnits units;
    MessageSize text; // the wrapped message text: Tw, Th
    bool hasIcon = false;
    MessageButtons buttons;
    // Width each requested button kind asks for (caption width + padding), by row.
    std::array<int, kMessageButtonKinds> captionWidths{};
};

struct MessageButtonPlacement {
    MessageButton button;
    MessageRect bounds;
    bool isDefault = false;
    bool isCancel = false;
    bool operator==(const MessageButtonPlacement&) const = default;
};

struct MessageLayout {
    MessageMetrics metrics;
    int clientWidth = 0;
    int clientHeight = 0;
    MessageSize block;        // icon and text block: W, H
    int buttonGroupWidth = 0; // G
    int buttonWidth = 0;      // common to all buttons of the box
    bool hasIcon = false;
    MessageRect icon; // meaningful only with hasIcon
    MessageRect text;
    std::vector<MessageButtonPlacement> buttons; // row order, left to right
};

MessageLayout ComputeMessageLayout(const MessageLayoutInput& input);

// The form's position when built: screen/2 - form/2 on each axis (each div truncating).
MessagePoint BuildPosition(MessageSize screen, MessageSize form);

// What the layout asks the platform to measure, all with the box's font.
class MessageMeasure {
  public:
    virtual ~MessageMeasure() = default;
    // Extent of a string on one line, no prefix processing.
    virtual MessageSize TextExtent(const std::string& text) = 0;
    // Width of a button caption on one line, "&" processed (the marker is not counted).
    virtual int CaptionWidth(const std::string& caption) = 0;
    // Size of text word-wrapped within widthLimit, tabs expanded, "&" processed.
    virtual MessageSize WrappedTextSize(const std::string& text, int widthLimit) = 0;
};

// Widths the button kinds ask for, measured the first time a kind is needed and kept for
// the rest of the run (one slot per kind, 0 meaning not yet measured).
class ButtonWidthCache {
  public:
    int WidthOf(MessageButton button, MessageMeasure& measure);
    bool IsMeasured(MessageButton button) const;

  private:
    std::array<int, kMessageButtonKinds> widths_{};
};

// Measures in the order of building a box (font units, button captions, text) and lays it out.
MessageLayout LayoutMessageBox(const std::string& text, MessageKind kind, MessageButtons buttons,
                               int screenWidth, MessageMeasure& measure, ButtonWidthCache& cache);

// The text Ctrl+C copies: dividers of 27 "-", the caption, the message, the button captions
// in row order without "&", each followed by three blanks; every line ends with CR LF.
std::string MessageClipboardText(const std::string& caption, const std::string& message,
                                 MessageButtons buttons);

} // namespace dodir
