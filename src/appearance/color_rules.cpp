#include "appearance/color_rules.h"

#include <array>

#include "base/str_to_int.h"

namespace dodir {

namespace {

struct PresetRow {
    const char* item;
    int red, green, blue;
};
constexpr std::array<PresetRow, 8> kPresets{{
    {"黒", 0, 0, 0},
    {"白", 255, 255, 255},
    {"赤", 255, 0, 0},
    {"青", 0, 0, 255},
    {"緑", 0, 128, 0},
    {"黄", 255, 255, 0},
    {"紫", 128, 0, 128},
    {"灰", 128, 128, 128},
}};

// The first word of a target's status texts.
const char* WordOf(TColorTarget target) { return target == TColorTarget::Background ? "背景色" : "文字色"; }

} // namespace

const std::vector<std::string>& PresetNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const auto& row : kPresets) all.emplace_back(row.item);
        return all;
    }();
    return names;
}

std::optional<TColorChoice> PresetColor(TColorTarget target, int index) {
    if (index < 0 || index >= static_cast<int>(kPresets.size())) return std::nullopt;
    const PresetRow& row = kPresets[static_cast<std::size_t>(index)];
    return TColorChoice{RGBColor(row.red, row.green, row.blue),
                        ColorStatusText(target, row.red, row.green, row.blue)};
}

TCustomColor CustomColor(const std::string& red, const std::string& green, const std::string& blue) {
    // All three conversions come first: a conversion error ends the command before any check.
    const int values[] = {StrToInt(red), StrToInt(green), StrToInt(blue)};
    const char* const messages[] = {
        "Rに0～255の整数を入力してください。",
        "Gに0～255の整数を入力してください。",
        "Bに0～255の整数を入力してください。",
    };
    TCustomColor result;
    for (int k = 0; k < 3; ++k)
        if (values[k] > 255 || values[k] < 0) result.problems.emplace_back(messages[k]);
    if (result.problems.empty()) result.color = RGBColor(values[0], values[1], values[2]);
    return result;
}

std::string CustomStatusText(TColorTarget target, const std::string& red, const std::string& green,
                             const std::string& blue) {
    return "  " + std::string(WordOf(target)) + "R:" + red + " G:" + green + " B:" + blue;
}

std::string ColorStatusText(TColorTarget target, int red, int green, int blue) {
    return std::string(WordOf(target)) + "R:" + std::to_string(red) + " G:" + std::to_string(green) +
           " B:" + std::to_string(blue);
}

} // namespace dodir
