// The colours the main window's colour controls choose: the preset lists, the custom
// red/green/blue values with their range rule, and the status texts that report them.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/colors.h"

namespace dodir {

// What a colour is chosen for: the editor's background or the selection's text.
enum class TColorTarget { Background, Text };

// The items of both preset lists, by item index.
const std::vector<std::string>& PresetNames();

struct TColorChoice {
    TColor color = 0;
    std::string statusText;
};
// The preset at an item index of a list; none outside the list.
std::optional<TColorChoice> PresetColor(TColorTarget target, int index);

struct TCustomColor {
    TColor color = 0;
    // One message per value outside 0-255, in the order red, green, blue; the colour
    // applies only when there is none.
    std::vector<std::string> problems;
};
// The colour of the three boxes' texts. Throws EConvertError for the first text that is
// no integer, before any range is checked.
TCustomColor CustomColor(const std::string& red, const std::string& green, const std::string& blue);

// The status text of a custom colour: the boxes' texts as typed.
std::string CustomStatusText(TColorTarget target, const std::string& red, const std::string& green,
                             const std::string& blue);

// The status text of a colour's values, as at start-up and for the presets.
std::string ColorStatusText(TColorTarget target, int red, int green, int blue);

} // namespace dodir
