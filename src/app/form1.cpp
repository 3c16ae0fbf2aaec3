#include "app/form1.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <optional>

#include "base/errors.h"
#include "base/win/font.h"
#include "dialogs/message_form.h"
#include "document/document_io.h"
#include "printing/print_document.h"
#include "search/search.h"
#include "ui/application.h"

namespace dodir {

namespace {

// The toolbar from left to right; each command button runs the handler of its row.
struct ToolRow {
    TToolButton button;
    void (TForm1::*click)();
};
const ToolRow kToolRows[] = {
    {{.number = 6, .separator = true}, nullptr},
    {{.number = 1, .imageIndex = 0}, &TForm1::ToolButton1Click},
    {{.number = 2, .imageIndex = 1}, &TForm1::ToolButton2Click},
    {{.number = 3, .imageIndex = 2}, &TForm1::ToolButton3Click},
    {{.number = 4, .separator = true}, nullptr},
    {{.number = 8, .imageIndex = 7}, &TForm1::ToolButton8Click},
    {{.number = 9, .imageIndex = 8}, &TForm1::ToolButton9Click},
    {{.number = 10, .imageIndex = 9}, &TForm1::ToolButton10Click},
    {{.number = 11, .imageIndex = 10}, &TForm1::ToolButton11Click},
    {{.number = 19, .imageIndex = 6}, &TForm1::ToolButton19Click},
    {{.number = 15, .separator = true}, nullptr},
    {{.number = 14, .imageIndex = 5}, &TForm1::ToolButton14Click},
    {{.number = 7, .imageIndex = 11}, &TForm1::ToolButton7Click},
    {{.number = 12, .imageIndex = 12}, &TForm1::ToolButton12Click},
    {{.number = 5, .separator = true}, nullptr},
    {{.number = 17, .imageIndex = 16}, &TForm1::ToolButton17Click},
    {{.number = 13, .imageIndex = 17}, &TForm1::ToolButton13Click},
    {{.number = 16, .imageIndex = 3, .visible = false}, &TForm1::ToolButton16Click},
};

// The pictures drawn `size` pixels square (one of kToolImageSizes).
HIMAGELIST LoadToolImages(int size) {
    // Room for 24 pictures, growing by 4; the pictures carry transparency masks.
    HIMAGELIST list = ::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 24, 4);
    HINSTANCE inst = ::GetModuleHandleA(nullptr);
    const std::string colourName = "TOOLIMAGES" + std::to_string(size);
    const std::string maskName = "TOOLMASK" + std::to_string(size);
    win::UniqueBitmap colour(
        static_cast<HBITMAP>(::LoadImageA(inst, colourName.c_str(), IMAGE_BITMAP, 0, 0, 0)));
    win::UniqueBitmap mask(
        static_cast<HBITMAP>(::LoadImageA(inst, maskName.c_str(), IMAGE_BITMAP, 0, 0, LR_MONOCHROME)));
    if (list && colour && mask) ::ImageList_Add(list, colour.get(), mask.get());
    return list;
}

bool AskYes(TApplication& app, const std::string& question) {
    return ShowMessageForm(app, question, MessageKind::Confirmation,
                           {MessageButton::Yes, MessageButton::No}) == kResultYes;
}

// The document's commands reach the user through the window's file dialogs and message
// boxes, and the document through the editor.
class TFormDocumentHost final : public TDocumentHost {
  public:
    TFormDocumentHost(TApplication& app, TOpenDialog& openDialog, TSaveDialog& saveDialog, TRichEdit& editor)
        : app_(app), openDialog_(openDialog), saveDialog_(saveDialog), editor_(editor) {}

    std::optional<std::string> AskOpenPath() override { return PathFrom(openDialog_); }
    std::optional<std::string> AskSavePath() override { return PathFrom(saveDialog_); }
    bool AskYes(const std::string& question) override { return dodir::AskYes(app_, question); }
    void ShowNotice(const std::string& notice) override { dodir::ShowNotice(app_, notice); }
    void Load(const std::string& path) override { LoadDocument(editor_, path); }
    void Save(const std::string& path) override { SaveDocument(editor_, path); }

  private:
    static std::optional<std::string> PathFrom(TOpenDialog& dialog) {
        if (!dialog.Execute()) return std::nullopt;
        return dialog.FileName;
    }

    TApplication& app_;
    TOpenDialog& openDialog_;
    TSaveDialog& saveDialog_;
    TRichEdit& editor_;
};

} // namespace

TForm1::TForm1(TApplication& app, TPrinter& printer, TScale scale)
    : TCustomForm(app), layout_(MainLayout(scale)) {
    RegisterWindowClass("TForm1", CS_DBLCLKS, ::GetSysColorBrush(COLOR_3DLIGHT), nullptr);
    CreateDialogFrame("TForm1", "dodir", layout_.position, layout_.client);
    // A frame grown by the scale stays whole on the work area it starts on.
    const TRect frame = win::WindowBounds(Handle());
    const TPoint kept =
        KeepInside(win::WorkArea(Handle()), layout_.position, {frame.Width(), frame.Height()});
    if (kept != layout_.position) win::MoveWindowTo(Handle(), kept);
    ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, 0);
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, 0);

    MakeFonts();
    CreateControls(printer);
    try {
        FormCreate();
    } catch (...) {
        Application().HandleException(std::current_exception());
    }
    // After the window: the main form stays the application's first form.
    AboutBox = std::make_unique<TAboutBox>(app, scale);
}

void TForm1::MakeFonts() {
    TFont labelFont = WindowFont();
    labelFont.height = layout_.largeFontHeight;
    labelFont.bold = true;
    windowFont_.reset(win::CreateFontOf(ScaledWindowFont()));
    labelFont_.reset(win::CreateFontOf(labelFont));
    for (std::size_t k = 0; k < labels_.size(); ++k) {
        const TLabelPlace& place = layout_.labels[k];
        labels_[k] = {place.at.x, place.at.y, place.caption, place.large};
    }
}

TForm1::~TForm1() {
    AboutBox.reset();
    // The window and its controls go first, while the objects their messages reach (the
    // toolbar, the fonts, the image list) still exist; the handlers hear none of it.
    DestroyHandle();
}

void TForm1::CreateControls(TPrinter& printer) {
    HWND self = Handle();
    HFONT font = windowFont_.get();
    const TMainLayout& m = layout_;
    Edit1 = std::make_unique<TEdit>(self, idEdit1, win::ToRECT(m.edit1), "255", font);
    Edit2 = std::make_unique<TEdit>(self, idEdit2, win::ToRECT(m.edit2), "255", font);
    Edit3 = std::make_unique<TEdit>(self, idEdit3, win::ToRECT(m.edit3), "255", font);
    Button1 = std::make_unique<TButton>(self, idButton1, win::ToRECT(m.button1), "背景色", font);
    Button2 = std::make_unique<TButton>(self, idButton2, win::ToRECT(m.button2), "文字色", font);
    StatusBar1 = std::make_unique<TStatusBar>(self, idStatusBar1, win::ToRECT(m.statusBar), m.statusEdges);
    ComboBox1 =
        std::make_unique<TComboBox>(self, idComboBox1, win::ToRECT(m.comboBox1), PresetNames(), font, 8);
    ComboBox2 =
        std::make_unique<TComboBox>(self, idComboBox2, win::ToRECT(m.comboBox2), PresetNames(), font, 8);

    TRichEditSettings editor;
    editor.id = idRichEdit1;
    editor.bounds = win::ToRECT(m.editor);
    editor.font = ScaledWindowFont();
    editor.pixelsPerInch = m.scale.Dpi();
    editor.verticalScrollBar = true;
    RichEdit1 = std::make_unique<TRichEdit>(self, editor);
    // Typing would otherwise stop silently at the control's default limit until a file
    // is opened; the document gets the limit a load gives it from the start.
    RichEdit1->SetTextLimit(TRichEdit::kUnlimitedText);

    CreateToolBar();
    CreateGutter();
    const std::vector<HWND> order = ControlOrder();
    for (HWND c : order) ::SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetTabOrder(order);

    const TDialogHost host = Application().DialogHost();
    OpenDialog1 = std::make_unique<TOpenDialog>(host);
    SaveDialog1 = std::make_unique<TSaveDialog>(host);
    FindDialog1 = std::make_unique<TFindDialog>(host);
    ReplaceDialog1 = std::make_unique<TReplaceDialog>(host);
    FontDialog1 = std::make_unique<TFontDialog>(host);
    FontDialog1->Font = ScaledWindowFont();
    PrintDialog1 = std::make_unique<TPrintDialog>(host, printer);
    documentHost_ =
        std::make_unique<TFormDocumentHost>(Application(), *OpenDialog1, *SaveDialog1, *RichEdit1);
    Document = std::make_unique<TDocumentFile>(*documentHost_);

    FindDialog1->OnFind = [this](TFindDialog& d) { FindDialog1Find(d); };
    ReplaceDialog1->OnFind = [this](TFindDialog& d) { ReplaceDialog1Find(d); };
    ReplaceDialog1->OnReplace = [this](TReplaceDialog& d) { ReplaceDialog1Replace(d); };
    FontDialog1->OnApply = [this](TFontDialog& d, HWND wnd) { FontDialog1Apply(d, wnd); };

    RichEdit1->OnKeyPress = [this](char& key) { RichEdit1KeyPress(key); };
    RichEdit1->OnMouseDown = [this](TMouseButton b, unsigned s, int x, int y) {
        RichEdit1MouseDown(b, s, x, y);
    };
    RichEdit1->OnMouseMove = [this](unsigned s, int x, int y) { RichEdit1Move(s, x, y); };

    OnCommand(idButton1, BN_CLICKED, [this] { Button1Click(); });
    OnCommand(idButton2, BN_CLICKED, [this] { Button2Click(); });
    OnCommand(idComboBox1, CBN_SELCHANGE, [this] { ComboBox1Change(); });
    OnCommand(idComboBox2, CBN_SELCHANGE, [this] { ComboBox2Change(); });
    for (const auto& tool : kToolRows)
        if (tool.click)
            OnCommand(TToolBar::CommandOf(tool.button.number), BN_CLICKED,
                      [this, &tool] { (this->*tool.click)(); });
}

void TForm1::CreateToolBar() {
    const TMainLayout& m = layout_;
    ImageList1.reset(LoadToolImages(m.toolImage));
    std::vector<TToolButton> buttons;
    for (const auto& row : kToolRows) buttons.push_back(row.button);
    ToolBar1 = std::make_unique<TToolBar>(Handle(), idToolBar1, win::ToRECT(m.toolBar), ImageList1.get(),
                                          buttons, TToolMetrics{m.toolImage, m.toolButton, m.toolSeparator});
}

void TForm1::CreateGutter() {
    const TMainLayout& m = layout_;
    TRichEditSettings gutter;
    gutter.id = idRichEdit2;
    gutter.bounds = win::ToRECT(m.gutter);
    gutter.font = ScaledWindowFont();
    gutter.pixelsPerInch = m.scale.Dpi();
    gutter.alignment = TAlignment::taRightJustify;
    // A number wider than the gutter is cut rather than wrapped onto a second row, where it
    // would no longer face its line; it is cut at its left, so the last digits, the ones that
    // tell neighbouring rows apart, stay in view (ten digits of the window font take about
    // 80 pixels at 96 dpi).
    gutter.wordWrap = false;
    gutter.leftOverhang = m.gutterOverhang;
    Gutter = std::make_unique<TGutter>(Handle(), gutter);
}

// Later rows lie on top where controls overlap (gutter over the editor's left column,
// toolbar over the top row).
std::vector<HWND> TForm1::ControlOrder() const {
    return {Edit1->Handle(),
            Edit2->Handle(),
            Edit3->Handle(),
            Button1->Handle(),
            Button2->Handle(),
            StatusBar1->Handle(),
            ComboBox1->Handle(),
            ComboBox2->Handle(),
            RichEdit1->Handle(),
            ToolBar1->Handle(),
            Gutter->RichEdit2->Handle()};
}

void TForm1::ChangeResolution(int dpi, const RECT* suggested) {
    const int oldDpi = layout_.scale.Dpi();
    layout_ = MainLayout(TScale(dpi));
    const TMainLayout& m = layout_;
    // The fonts the controls show until now go once every control has its new one.
    const win::UniqueFont oldWindowFont = std::move(windowFont_);
    const win::UniqueFont oldLabelFont = std::move(labelFont_);
    MakeFonts();
    HFONT font = windowFont_.get();
    const auto place = [](HWND control, const TRect& r) {
        ::SetWindowPos(control, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const std::pair<TEdit*, const TRect*> edits[] = {
        {Edit1.get(), &m.edit1}, {Edit2.get(), &m.edit2}, {Edit3.get(), &m.edit3}};
    for (const auto& [edit, r] : edits) {
        // A font the user gave a box fits the box's height to it, after the layout's place.
        place(edit->Handle(), *r);
        edit->ChangeResolution(oldDpi, m.scale.Dpi(), font);
    }
    for (const auto& [button, r] :
         {std::pair{Button1.get(), &m.button1}, std::pair{Button2.get(), &m.button2}}) {
        ::SendMessageA(button->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        place(button->Handle(), *r);
    }
    ComboBox1->SetBounds(win::ToRECT(m.comboBox1), font);
    ComboBox2->SetBounds(win::ToRECT(m.comboBox2), font);
    place(StatusBar1->Handle(), m.statusBar);
    StatusBar1->SetPanelEdges(m.statusEdges);
    FontDialog1->Font = FontAtResolution(FontDialog1->Font, oldDpi, m.scale.Dpi());

    // The editor keeps its window, and with it the document, the selection and the line at
    // the top of its view; its fonts keep their sizes in points.
    HWND editor = RichEdit1->Handle();
    const auto topLine = ::SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    const auto topChar = ::SendMessageA(editor, EM_LINEINDEX, static_cast<WPARAM>(topLine), 0);
    place(editor, m.editor);
    RichEdit1->SetPixelsPerInch(m.scale.Dpi());
    const auto newTopLine = ::SendMessageA(editor, EM_EXLINEFROMCHAR, 0, topChar);
    const auto nowTop = ::SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (newTopLine != nowTop) ::SendMessageA(editor, EM_LINESCROLL, 0, newTopLine - nowTop);

    // The toolbar and the gutter are made again as the layout makes them, each in its old
    // place in the z-order and the tab order; the old pictures go with the old toolbar.
    const HWND focus = ::GetFocus();
    const HWND oldGutter = Gutter->RichEdit2->Handle();
    const auto oldImages = std::move(ImageList1);
    const auto oldBar = std::move(ToolBar1);
    const auto oldGutterControl = std::move(Gutter);
    CreateToolBar();
    CreateGutter();
    const UINT keepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ::SetWindowPos(ToolBar1->Handle(), oldBar->Handle(), 0, 0, 0, 0, keepPlace);
    ::SetWindowPos(Gutter->RichEdit2->Handle(), oldGutter, 0, 0, 0, 0, keepPlace);
    SetTabOrder(ControlOrder());
    if (ActiveControl() == oldGutter) SetActiveControl(Gutter->RichEdit2->Handle());
    if (focus == oldGutter) ::SetFocus(Gutter->RichEdit2->Handle());

    // The frame the system suggests where it holds the layout's client size exactly; else
    // one sized for that client size, from the suggested top-left corner.
    if (suggested)
        ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (client.right != m.client.width || client.bottom != m.client.height) {
        const TRect frame = win::WindowBounds(Handle());
        win::PlaceFrame(Handle(), {frame.left, frame.top}, m.client, m.scale.Dpi());
    }
    ::InvalidateRect(Handle(), nullptr, TRUE);
    RefreshLineNumbers();
    FitAboutBox();
}

void TForm1::FitAboutBox() {
    if (AboutBox && AboutBox->Scale().Dpi() != layout_.scale.Dpi() && !::IsWindowVisible(AboutBox->Handle()))
        AboutBox = std::make_unique<TAboutBox>(Application(), layout_.scale);
}

void TForm1::FormCreate() {
    using enum TColorTarget;
    StatusBar1->SetPanelText(StatusPanelOf(Text), ColorStatusText(Text, 0, 0, 0));
    StatusBar1->SetPanelText(StatusPanelOf(Background), ColorStatusText(Background, 255, 255, 255));
    StatusBar1->SetPanelText(TStatusPanel::Caret, CaretLineText(0));
}

void TForm1::ComboBox1Change() { ApplyPresetColor(TColorTarget::Background, *ComboBox1); }
void TForm1::ComboBox2Change() { ApplyPresetColor(TColorTarget::Text, *ComboBox2); }
void TForm1::Button1Click() { ApplyCustomColor(TColorTarget::Background); }
void TForm1::Button2Click() { ApplyCustomColor(TColorTarget::Text); }

void TForm1::ApplyPresetColor(TColorTarget target, const TComboBox& list) {
    const auto preset = PresetColor(target, list.ItemIndex());
    if (!preset) return;
    SetColorOf(target, preset->color);
    StatusBar1->SetPanelText(StatusPanelOf(target), preset->statusText);
}

void TForm1::ApplyCustomColor(TColorTarget target) {
    const auto custom = CustomColor(Edit1->Text(), Edit2->Text(), Edit3->Text());
    for (const auto& problem : custom.problems) ShowNotice(Application(), problem);
    if (!custom.problems.empty()) return;
    SetColorOf(target, custom.color);
    // The status text shows the boxes' texts as typed, read again after the change.
    StatusBar1->SetPanelText(StatusPanelOf(target),
                             CustomStatusText(target, Edit1->Text(), Edit2->Text(), Edit3->Text()));
}

void TForm1::SetColorOf(TColorTarget target, TColor color) {
    if (target == TColorTarget::Background)
        RichEdit1->SetColor(color);
    else
        RichEdit1->SelectionFormat.TextColor(color);
}

void TForm1::RefreshLineNumbers() {
    StatusBar1->SetPanelText(TStatusPanel::Caret, CaretLineText(TEditorRows::CaretRow(*RichEdit1)));
    Gutter->Refresh(*RichEdit1);
}

void TForm1::RichEdit1KeyPress(char&) { RefreshLineNumbers(); }

void TForm1::RichEdit1MouseDown(TMouseButton, unsigned, int, int) { RefreshLineNumbers(); }

void TForm1::RichEdit1Move(unsigned, int x, int y) {
    StatusBar1->SetPanelText(TStatusPanel::Mouse, MousePositionText(x, y));
}

void TForm1::ToolButton1Click() {
    Document->Detach();
    RichEdit1->Lines.ClearAll();
    Gutter->Clear();
    SetCaption("dodir");
}

void TForm1::ToolButton2Click() {
    if (Document->Open()) SetCaption(Document->OpenFileName());
}

void TForm1::ToolButton3Click() { Document->Save(); }

void TForm1::ToolButton13Click() {
    Document->OfferSave();
    if (AskYes(Application(), "プログラムを終了しますか？")) ::SendMessageA(Handle(), WM_CLOSE, 0, 0);
}

// The font dialog's result is ignored: only its Apply button changes the document.
void TForm1::ToolButton14Click() { FontDialog1->Execute(); }
void TForm1::ToolButton7Click() { FindDialog1->Execute(); }
void TForm1::ToolButton12Click() { ReplaceDialog1->Execute(); }
// The button stays hidden; a click on it would print the document.
void TForm1::ToolButton16Click() {
    if (!PrintDialog1->Execute()) return;
    PrintDocument(*RichEdit1, PrintDialog1->ChosenPrinter(), layout_.scale.Dpi());
}

void TForm1::FindDialog1Find(TFindDialog& sender) { FindNext(sender); }
void TForm1::ReplaceDialog1Find(TFindDialog& sender) { FindNext(sender); }

void TForm1::FindNext(const TFindDialog& dialog) {
    if (!FindNextIn(*RichEdit1, dialog.FindText())) ShowNotFound(dialog.FindText());
}

// Replace and Replace All alike replace the first occurrence in the document, one a press.
void TForm1::ReplaceDialog1Replace(TReplaceDialog& sender) {
    if (!ReplaceFirst(*RichEdit1, sender.FindText(), sender.ReplaceText())) ShowNotFound(sender.FindText());
}

void TForm1::ShowNotFound(const std::string& text) {
    ShowMessageForm(Application(), NotFoundMessage(text), MessageKind::Error, {MessageButton::OK});
}

// The font goes to the control that was active when the dialog opened: all of an edit
// box's text, a rich edit control's selection; any other control only beeps.
void TForm1::FontDialog1Apply(TFontDialog& sender, HWND) {
    const HWND active = ActiveControl();
    for (TEdit* edit : {Edit1.get(), Edit2.get(), Edit3.get()})
        if (active && edit->Handle() == active) return edit->AssignFont(sender.Font);
    if (active && RichEdit1->Handle() == active) return RichEdit1->SelectionFormat.AssignFont(sender.Font);
    if (active && Gutter->RichEdit2->Handle() == active) return Gutter->AssignSelectionFont(sender.Font);
    Beep();
}

// The editing commands act on the editor wherever the focus is.
void TForm1::ToolButton8Click() { RichEdit1->CutSelection(); }
void TForm1::ToolButton9Click() { RichEdit1->CopySelection(); }
void TForm1::ToolButton10Click() { RichEdit1->PasteClipboard(); }
void TForm1::ToolButton11Click() { RichEdit1->SelectWholeText(); }
void TForm1::ToolButton19Click() { RichEdit1->UndoLastEdit(); }

void TForm1::ToolButton17Click() {
    FitAboutBox();
    AboutBox->Show();
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        win::PaintDc dc(Handle());
        PaintLabels(dc.get(), labels_, windowFont_.get(), labelFont_.get());
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) != ComboBox1->Handle() &&
            reinterpret_cast<HWND>(lParam) != ComboBox2->Handle())
            return TCustomForm::HandleMessage(msg, wParam, lParam);
        [[fallthrough]];
    case WM_CTLCOLORLISTBOX: {
        // The colour lists (field and dropped list) are painted in the 3-D light colour.
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetBkColor(dc, ::GetSysColor(COLOR_3DLIGHT));
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_3DLIGHT));
    }
    case WM_DPICHANGED:
        // The new resolution (the same across and down) and the frame the system suggests.
        ChangeResolution(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        // Closing the main form ends the program; nothing is asked and nothing saved.
        ::PostQuitMessage(0);
        return 0;
    default:
        return TCustomForm::HandleMessage(msg, wParam, lParam);
    }
}

} // namespace dodir
