// TForm1: the main window with the editor, the gutter, the colour controls, the toolbar
// and the status bar.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "app/control_ids.h"
#include "app/gutter.h"
#include "app/main_layout.h"
#include "app/status_bar.h"
#include "app/tool_bar.h"
#include "about/about_box.h"
#include "appearance/color_rules.h"
#include "base/win/handles.h"
#include "dialogs/common_dialogs.h"
#include "document/document_file.h"
#include "editor/rich_edit.h"
#include "printing/print_dialog.h"
#include "ui/controls.h"
#include "ui/form_base.h"

namespace dodir {

class TForm1 : public TCustomForm {
  public:
    // Builds the window, its controls and the About box laid out for the screen's scale,
    // runs FormCreate; the caller shows it. The print command prints on printer.
    TForm1(TApplication& app, TPrinter& printer, TScale scale);
    ~TForm1() override;

    std::unique_ptr<TEdit> Edit1, Edit2, Edit3;
    std::unique_ptr<TButton> Button1, Button2;
    std::unique_ptr<TStatusBar> StatusBar1;
    std::unique_ptr<TComboBox> ComboBox1, ComboBox2;
    std::unique_ptr<TRichEdit> RichEdit1;
    std::unique_ptr<TToolBar> ToolBar1;
    // The line numbers beside the editor, in its RichEdit2.
    std::unique_ptr<TGutter> Gutter;

    std::unique_ptr<TOpenDialog> OpenDialog1;
    std::unique_ptr<TSaveDialog> SaveDialog1;
    std::unique_ptr<TFindDialog> FindDialog1;
    std::unique_ptr<TReplaceDialog> ReplaceDialog1;
    std::unique_ptr<TFontDialog> FontDialog1;
    std::unique_ptr<TPrintDialog> PrintDialog1;

    // Made hidden with the window and kept until it goes.
    std::unique_ptr<TAboutBox> AboutBox;

  private:
    // The dialogs, boxes and editor as the document's commands see them; made before
    // Document, which holds on to it.
    std::unique_ptr<TDocumentHost> documentHost_;

  public:
    // The file the document belongs to.
    std::unique_ptr<TDocumentFile> Document;

    // Sounds the default beep; tests put a counter in its place.
    std::function<void()> Beep = [] { ::MessageBeep(0); };

    std::string Caption() const { return win::GetWindowTextString(Handle()); }
    void SetCaption(const std::string& caption) { ::SetWindowTextA(Handle(), caption.c_str()); }

    // The scale the window is laid out for now.
    TScale Scale() const noexcept { return layout_.scale; }

    // Caret line in status panel 3 and the gutter's numbers from the first visible line.
    void RefreshLineNumbers();

    // Event handlers.
    void FormCreate();
    void Button1Click();
    void Button2Click();
    void ComboBox1Change();
    void ComboBox2Change();
    void RichEdit1KeyPress(char& key);
    void RichEdit1MouseDown(TMouseButton button, unsigned shift, int x, int y);
    void RichEdit1Move(unsigned shift, int x, int y);
    void ToolButton1Click();  // New
    void ToolButton2Click();  // Open
    void ToolButton3Click();  // Save
    void ToolButton8Click();  // Cut
    void ToolButton9Click();  // Copy
    void ToolButton10Click(); // Paste
    void ToolButton11Click(); // Select all
    void ToolButton19Click(); // Undo
    void ToolButton14Click(); // Font
    void ToolButton7Click();  // Find
    void ToolButton12Click(); // Replace
    void ToolButton17Click(); // About
    void ToolButton13Click(); // Exit
    void ToolButton16Click(); // Print
    void FindDialog1Find(TFindDialog& sender);
    void ReplaceDialog1Find(TFindDialog& sender);
    void ReplaceDialog1Replace(TReplaceDialog& sender);
    void FontDialog1Apply(TFontDialog& sender, HWND dialog);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    void CreateControls(TPrinter& printer);
    // The toolbar and the gutter as the layout places them.
    void CreateToolBar();
    void CreateGutter();
    // The controls from the bottom of the z-order up, which is also the tab order.
    std::vector<HWND> ControlOrder() const;
    // Lays the window and everything on it out again at `dpi`, as a start at that resolution
    // would; the frame goes to `suggested` (none: stays where it is) with the layout's client
    // size. The document, its view and formats stay.
    void ChangeResolution(int dpi, const RECT* suggested);
    void MakeFonts();
    // The About box laid out for the window's scale while it is hidden.
    void FitAboutBox();
    void ApplyPresetColor(TColorTarget target, const TComboBox& list);
    void ApplyCustomColor(TColorTarget target);
    void SetColorOf(TColorTarget target, TColor color);
    void FindNext(const TFindDialog& dialog);
    void ShowNotFound(const std::string& text);

    win::UniqueHandle<HIMAGELIST, win::ImageListTraits> ImageList1;
    // The window font at the screen's scale, for every control that does not set its own.
    TFont ScaledWindowFont() const {
        TFont f = WindowFont();
        f.height = layout_.fontHeight;
        return f;
    }

    TMainLayout layout_;
    std::array<TLabelRow, 6> labels_{};
    win::UniqueFont windowFont_;
    win::UniqueFont labelFont_;
};

} // namespace dodir
