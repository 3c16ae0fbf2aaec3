// The standard dialogs of the main window: open, save, find, replace, font and print.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <memory>
#include <string>

#include "base/fonts.h"
#include "base/win/window.h"

namespace dodir {

class TApplication;

class TCommonDialog {
  public:
    // The dialogs belong to the application: its window owns the modal ones, its active
    // form places them, its loop runs the modeless ones' keys and shows their errors.
    explicit TCommonDialog(TApplication& owner) : owner_(owner) {}
    TCommonDialog(const TCommonDialog&) = delete;
    TCommonDialog& operator=(const TCommonDialog&) = delete;
    virtual ~TCommonDialog() = default;

    // The dialog window while it is shown.
    HWND Handle() const noexcept { return handle_; }
    virtual bool Execute() = 0;

    // Centred and one third down on the monitor of the application's active form.
    void PlaceOnActiveMonitor(HWND dialog) const;

  protected:
    TApplication& owner_;
    HWND handle_ = nullptr;
    int helpContext_ = 0;
};

class TOpenDialog : public TCommonDialog {
  public:
    static constexpr std::size_t kNameBufferSize = 260;
    explicit TOpenDialog(TApplication& owner, std::string initialName = "");
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
    explicit TSaveDialog(TApplication& owner) : TOpenDialog(owner, "*.txt") {}

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
    explicit TFindDialog(TApplication& owner);

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

// Chooses the printer, its properties and the number of copies for the process's printer
// object; no page range, selection or printing to a file.
class TPrintDialog : public TCommonDialog {
  public:
    using TCommonDialog::TCommonDialog;
    // Starts from the current printer (the default one first, EPrinter when there is
    // none); on OK makes the chosen printer and copies current.
    bool Execute() override;

    bool Collate = false;
    bool PrintToFile = false;
    bool AllPages = true;
    int MinPage = 0, MaxPage = 0, FromPage = 0, ToPage = 0;
    int Copies = 0;

  protected:
    virtual bool RunPlatformDialog(PRINTDLGA& pd) { return ::PrintDlgA(&pd) != FALSE; }

  private:
    static UINT_PTR CALLBACK Hook(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    static UINT_PTR CALLBACK SetupHook(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
};

// Registered message the find and replace dialogs send to their owner.
UINT FindReplaceMessage();

} // namespace dodir
