// TMessageForm: the program's message box, a modal form built at run time for each message
// with an optional system icon, the message text and a row of buttons.
#pragma once
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "ui/controls.h"
#include "ui/form_base.h"
#include "base/win/handles.h"
#include "dialogs/message_layout.h"

namespace dodir {

// Measures with the font selected into dc, as a box does with its own.
class DcMessageMeasure : public MessageMeasure {
  public:
    explicit DcMessageMeasure(HDC dc) : dc_(dc) {}

    MessageSize TextExtent(const std::string& text) override {
        SIZE size{};
        ::GetTextExtentPointA(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return {size.cx, size.cy};
    }
    int CaptionWidth(const std::string& caption) override {
        RECT r{0, 0, 0, 0};
        ::DrawTextA(dc_, caption.c_str(), static_cast<int>(caption.size()), &r,
                    DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
        return r.right - r.left;
    }
    MessageSize WrappedTextSize(const std::string& text, int widthLimit) override {
        RECT r{0, 0, widthLimit, 0};
        ::DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &r,
                    DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        return {r.right - r.left, r.bottom - r.top};
    }

  private:
    HDC dc_;
};

class TMessageForm : public TCustomForm {
  public:
    // Control ids: the message label and the icon carry the ids of the platform's own box;
    // each button carries its result (IDOK, IDYES ...), Help, which has none, kHelpButtonId.
    static constexpr int kMessageId = 0xFFFF;
    static constexpr int kImageId = 20;
    static constexpr int kHelpButtonId = 111;
    static int ButtonId(MessageButton button);

    // Builds the hidden box, laid out and placed at the screen's centre.
    TMessageForm(TApplication& app, const std::string& text, MessageKind kind, MessageButtons buttons);
    ~TMessageForm() override;

    // Shows the box modally; gives the result of the button that closed it, or
    // kResultCancel when it was closed through the title bar or the program is ending.
    int ShowModal();
    int ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(int result) noexcept { modalResult_ = result; }

    const std::string& Text() const noexcept { return text_; }
    MessageKind Kind() const noexcept { return kind_; }
    MessageButtons Buttons() const noexcept { return buttons_; }
    std::string Caption() const { return win::GetWindowTextString(Handle()); }
    const MessageLayout& Layout() const noexcept { return layout_; }

    HWND Image() const noexcept { return image_.get(); } // nullptr without an icon
    HWND Message() const noexcept { return message_.get(); }
    // The button of that kind, nullptr when the box has none.
    HWND ButtonHandle(MessageButton button) const;

    // What the button does when pressed: a non-zero result closes the box with it.
    void Press(MessageButton button);
    // Ctrl+C: beeps and puts the box's text on the clipboard.
    void CopyToClipboard();

    HWND DefaultButton() const override;
    bool DialogKey(const MSG& msg) override;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    void CreateParts();
    void PlaceAtScreenCentre();
    bool PressAccelerator(char letter);
    bool FindButton(HWND wnd, MessageButton& found) const;
    bool HasButton(MessageButton button) const { return ButtonHandle(button) != nullptr; }
    void ShowFocusAsDefault(HWND focused);

    std::string text_;
    MessageKind kind_;
    MessageButtons buttons_;
    MessageLayout layout_;
    int modalResult_ = kResultNone;
    win::UniqueFont font_;
    win::UniqueWindow image_;
    win::UniqueWindow message_;
    std::array<std::unique_ptr<TButton>, kMessageButtonKinds> buttonControls_;
};

// A new, not yet shown box of the application; the caller owns it.
std::unique_ptr<TMessageForm> BuildMessageForm(TApplication& app, const std::string& text, MessageKind kind,
                                               MessageButtons buttons);

// Builds, shows modally and destroys a box; gives the result of what closed it.
int ShowMessageForm(TApplication& app, const std::string& text, MessageKind kind, MessageButtons buttons);

// The plain notice: the application title as caption, no icon, one OK button.
void ShowNotice(TApplication& app, const std::string& text);

} // namespace dodir
