// TAboutBox: the modeless About box, created hidden with the main window and kept as long as it.
#pragma once
#include <windows.h>

#include <array>
#include <memory>

#include "ui/controls.h"
#include "ui/form_base.h"
#include "base/scale.h"
#include "base/win/handles.h"

namespace dodir {

class TAboutBox : public TCustomForm {
  public:
    static constexpr int kClientWidth = 448;
    static constexpr int kClientHeight = 364;
    static constexpr int kPanelId = 100;

    // Laid out for the screen's scale; kClientWidth and the rest are its 96-dpi sizes.
    TAboutBox(TApplication& app, TScale scale);
    ~TAboutBox() override;

    // The scale the box is laid out for.
    TScale Scale() const noexcept { return scale_; }

    // Makes the box visible and brings it to the front; centred on its first showing.
    void Show();
    void OKButtonClick();

    std::unique_ptr<TButton> OKButton;
    HWND Panel1() const noexcept { return panel_ ? panel_->Handle() : nullptr; }
    HWND DefaultButton() const override { return OKButton ? OKButton->Handle() : nullptr; }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    void PaintPanel(HDC dc);
    void Hide();

    TScale scale_;
    std::array<TLabelRow, 7> labels_{};
    std::unique_ptr<TPanel> panel_;
    win::UniqueFont windowFont_;
    win::UniqueFont bigFont_;
    win::UniqueBitmap banner_;
    bool shownBefore_ = false;
};

} // namespace dodir
