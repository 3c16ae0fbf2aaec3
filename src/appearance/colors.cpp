#include "appearance/colors.h"

#include <array>
#include <string>

#include "app/form1.h"
#include "base/colors.h"
#include "base/str_to_int.h"
#include "dialogs/message_form.h"

namespace dodir::appearance {

namespace {

// The eight colours of both lists, by ItemIndex.
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

// What a handler sets: the background (panel 0) or the selection's text colour (panel 1).
struct Target {
    const char* word; // first word of the status texts
    int panel;
    void (*apply)(TForm1& form, TColor color);
};
const Target kBackground{"背景色", 0, [](TForm1& form, TColor color) { form.RichEdit1->SetColor(color); }};
const Target kTextColour{
    "文字色", 1, [](TForm1& form, TColor color) { form.RichEdit1->SelectionFormat.TextColor(color); }};

std::string PresetStatusText(const Target& target, const PresetRow& row) {
    return std::string(target.word) + "R:" + std::to_string(row.red) + " G:" + std::to_string(row.green) +
           " B:" + std::to_string(row.blue);
}

void ApplyPreset(TForm1& form, const TComboBox& list, const Target& target) {
    const int index = list.ItemIndex();
    if (index < 0 || index >= static_cast<int>(kPresets.size())) return;
    const PresetRow& row = kPresets[static_cast<std::size_t>(index)];
    target.apply(form, RGBColor(row.red, row.green, row.blue));
    form.StatusBar1->SetPanelText(target.panel, PresetStatusText(target, row));
}

void ApplyCustom(TForm1& form, const Target& target) {
    // All three conversions come first: a conversion error ends the handler before any check.
    const int red = StrToInt(form.Edit1->Text());
    const int green = StrToInt(form.Edit2->Text());
    const int blue = StrToInt(form.Edit3->Text());

    struct Check {
        int value;
        const char* message;
    };
    const Check checks[] = {
        {red, "Rに0～255の整数を入力してください。"},
        {green, "Gに0～255の整数を入力してください。"},
        {blue, "Bに0～255の整数を入力してください。"},
    };
    bool outOfRange = false;
    for (const auto& check : checks) {
        if (check.value > 255 || check.value < 0) {
            ShowNotice(check.message);
            outOfRange = true;
        }
    }
    if (outOfRange) return;

    target.apply(form, RGBColor(red, green, blue));
    // The status text shows the boxes' texts as typed, read again after the change.
    form.StatusBar1->SetPanelText(target.panel, "  " + std::string(target.word) + "R:" + form.Edit1->Text() +
                                                    " G:" + form.Edit2->Text() + " B:" + form.Edit3->Text());
}

} // namespace

void ComboBox1Change(TForm1& form) { ApplyPreset(form, *form.ComboBox1, kBackground); }
void ComboBox2Change(TForm1& form) { ApplyPreset(form, *form.ComboBox2, kTextColour); }
void Button1Click(TForm1& form) { ApplyCustom(form, kBackground); }
void Button2Click(TForm1& form) { ApplyCustom(form, kTextColour); }

} // namespace dodir::appearance
