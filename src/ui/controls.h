// Standard controls of the forms: one-line edit boxes, push buttons, drop-down lists.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <optional>

#include "base/fonts.h"
#include "base/win/handles.h"
#include "base/win/window.h"

namespace dodir {

// An edit box that selects all its text when it gets the focus other than by a click.
class TEdit : public win::TSubclassedControl {
  public:
    TEdit(HWND parent, int id, const RECT& bounds, const std::string& text, HFONT font);
    std::string Text() const { return win::GetWindowTextString(Handle()); }
    void SetText(const std::string& text) { ::SetWindowTextA(Handle(), text.c_str()); }
    void SetFont(HFONT font) { ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    // Shows all its text in a font (face, height, style, pitch, character set, colour) and
    // fits its height to the font.
    void AssignFont(const TFont& font);
    // The font at another resolution: one assigned keeps its size in points, else the box
    // shows `windowFont`.
    void ChangeResolution(int from, int to, HFONT windowFont);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    win::UniqueFont font_;
    std::optional<TFont> assigned_;
    std::optional<TColor> color_;
};

// A plain child window with a border that its owner paints (the About box's panel).
class TPanel : public win::TWindow {
  public:
    TPanel(HWND parent, int id, const RECT& bounds, std::function<void(HDC dc)> paint);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    std::function<void(HDC dc)> paint_;
};

class TButton : public win::TSubclassedControl {
  public:
    TButton(HWND parent, int id, const RECT& bounds, const std::string& caption, HFONT font,
            bool isDefault = false);
};

// A drop-down list without free typing, sized to show `dropDownCount` rows at once.
class TComboBox : public win::TSubclassedControl {
  public:
    TComboBox(HWND parent, int id, const RECT& bounds, const std::vector<std::string>& items, HFONT font,
              int dropDownCount);
    // Shows the closed box at `bounds` in a font, its window holding the dropped list below.
    void SetBounds(const RECT& bounds, HFONT font);
    int ItemIndex() const { return static_cast<int>(::SendMessageA(Handle(), CB_GETCURSEL, 0, 0)); }
    void SetItemIndex(int index) { ::SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    int ItemCount() const { return static_cast<int>(::SendMessageA(Handle(), CB_GETCOUNT, 0, 0)); }

  private:
    int dropDownCount_;
};

} // namespace dodir
