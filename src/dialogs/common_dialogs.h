// The standard dialogs of the main window: open, save, find, replace and font.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "base/fonts.h"
#include "base/win/window.h"
#include "ui/common_dialog.h"

namespace dodir {

class TOpenDialog : public TCommonDialog {
  public:
    static constexpr std::size_t kNameBufferSize = 260;
    explicit TOpenDialog(TDialogHost host, std::string initialName = "");
    bool Execute() override;

    std::string FileName;
    std::string Filter = "文書ファイル|*.txt;*.vbs;*.doc;*.html;*.htm;*.shtml";
    int FilterIndex = 1;

  protected:
    virtual bool RunPlatformDialog(OPENFILENAMEA& ofn) { return ::GetOpenFileNameA(&ofn) != FALSE; }

  private:
    static UINT_PTR CALLBACK Hook(HWND child, UINT msg, WPARAM wParam, LPARAM lParam);
};

class TSaveDialog : public TOpenDialog {
  public:
    explicit TSaveDialog(TDialogHost host) : TOpenDialog(std::move(host), "*.txt") {}

  protected:
    bool RunPlatformDialog(OPENFILENAMEA& ofn) override { return ::GetSaveFileNameA(&ofn) != FALSE; }
};

// Find options as the dialog reports them.
enum TFindOption : unsigned {
    frDown = 1,
    frFindNext = 2,
    frHideMatchCase = 4,
    frHideWholeWord = 8,
    frHideUpDown = 16,
    frMatchCase = 32,
    frDisableMatchCase = 64,
    frDisableUpDown = 128,
    frDisableWholeWord = 256,
    frReplace = 512,
    frReplaceAll = 1024,
    frWholeWord = 2048,
    frShowHelp = 4096,
};

class TFindDialog : public TCommonDialog {
  public:
    static constexpr std::size_t kBufferSize = 256;
    explicit TFindDialog(TDialogHost host);

    // Opens the dialog modelessly, or brings it to the top when it is open already.
    bool Execute() override;
    // Closes an open dialog, remembering its place.
    void CloseDialog();

    std::string FindText() const { return std::string(findBuffer_); }
    void SetFindText(const std::string& text);
    unsigned Options = frDown | frMatchCase;
    POINT Position() const noexcept { return position_; }

    std::function<void(TFindDialog&)> OnFind;

  protected:
    virtual HWND CreatePlatformDialog(FINDREPLACEA& record) { return ::FindTextA(&record); }
    virtual void RaiseReplace() {}
    char findBuffer_[kBufferSize]{};
    char replaceBuffer_[kBufferSize]{};

  private:
    friend class TRedirectorWindow;
    void Notify(const FINDREPLACEA& record);
    static UINT_PTR CALLBACK Hook(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    FINDREPLACEA record_{};
    POINT position_{-1, -1};
    // The dialog's owner: destroying it destroys an open dialog with it.
    std::unique_ptr<win::TWindow> relay_;
    std::unique_ptr<win::TWindow> retiredRelay_;
};

class TReplaceDialog : public TFindDialog {
  public:
    using TFindDialog::TFindDialog;
    std::string ReplaceText() const { return std::string(replaceBuffer_); }
    void SetReplaceText(const std::string& text);
    std::function<void(TReplaceDialog&)> OnReplace;

  protected:
    HWND CreatePlatformDialog(FINDREPLACEA& record) override { return ::ReplaceTextA(&record); }
    void RaiseReplace() override {
        if (OnReplace) OnReplace(*this);
    }
};

class TFontDialog : public TCommonDialog {
  public:
    using TCommonDialog::TCommonDialog;
    bool Execute() override;

    TFont Font = WindowFont();
    int MinFontSize = 9;
    int MaxFontSize = 9;
    // Raised by the Apply button while the dialog stays open.
    std::function<void(TFontDialog&, HWND dialog)> OnApply;

  private:
    static UINT_PTR CALLBACK Hook(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    void Apply(HWND dialog);
    void TakeFaceHeightAndStyle(const LOGFONTA& lf);
    bool colourChanged_ = false;
    bool scriptChanged_ = false;
};

// Registered message the find and replace dialogs send to their owner.
UINT FindReplaceMessage();

} // namespace dodir
