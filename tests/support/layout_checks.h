// The main window compared with a layout: every control's place, size and font, the toolbar's
// buttons and pictures, the status bar's panels and the editors' fonts in points. For the
// in-process tests; header-only.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include "app/form1.h"
#include "app/main_layout.h"
#include "support/win_helpers.h"

namespace dodir::testing {

inline void ExpectAt(HWND parent, HWND control, const TRect& r, const char* name) {
    const RECT got = RectIn(parent, control);
    EXPECT_EQ(got.left, r.left) << name;
    EXPECT_EQ(got.top, r.top) << name;
    EXPECT_EQ(got.right, r.right) << name;
    EXPECT_EQ(got.bottom, r.bottom) << name;
}

inline int FontHeightOf(HWND control) {
    LOGFONTA lf{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight;
}

// The default format's size of a rich edit control, in twentieths of a point.
inline LONG DefaultTwipsOf(HWND edit) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    ::SendMessageA(edit, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format.yHeight;
}

inline void ExpectLaidOutAs(const TForm1& form, const TMainLayout& m) {
    HWND main = form.Handle();
    RECT client{};
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right, m.client.width);
    EXPECT_EQ(client.bottom, m.client.height);
    const struct {
        HWND control;
        TRect place;
        const char* name;
    } controls[] = {
        {form.Edit1->Handle(), m.edit1, "Edit1"},
        {form.Edit2->Handle(), m.edit2, "Edit2"},
        {form.Edit3->Handle(), m.edit3, "Edit3"},
        {form.Button1->Handle(), m.button1, "Button1"},
        {form.Button2->Handle(), m.button2, "Button2"},
        {form.StatusBar1->Handle(), m.statusBar, "bar"},
        {form.RichEdit1->Handle(), m.editor, "editor"},
        {form.ToolBar1->Handle(), m.toolBar, "toolbar"},
        {form.Gutter->RichEdit2->Handle(), m.gutter, "gutter"},
    };
    for (const auto& c : controls) ExpectAt(main, c.control, c.place, c.name);
    for (const auto* control : {form.Edit1.get(), form.Edit2.get(), form.Edit3.get()})
        EXPECT_EQ(FontHeightOf(control->Handle()), m.fontHeight);
    for (const auto* control : {form.Button1.get(), form.Button2.get()})
        EXPECT_EQ(FontHeightOf(control->Handle()), m.fontHeight);
    // A combo box sizes its own height to its font: its place and width follow the layout.
    for (const auto& [combo, place] :
         {std::pair{form.ComboBox1.get(), m.comboBox1}, {form.ComboBox2.get(), m.comboBox2}}) {
        const RECT r = RectIn(main, combo->Handle());
        EXPECT_EQ(r.left, place.left);
        EXPECT_EQ(r.top, place.top);
        EXPECT_EQ(r.right - r.left, place.Width());
        EXPECT_EQ(FontHeightOf(combo->Handle()), m.fontHeight);
    }
    // The window font's pixels at the layout's resolution are the same points at any.
    const LONG twips = -MulDivRound(m.fontHeight, 72 * 20, m.scale.Dpi());
    EXPECT_EQ(DefaultTwipsOf(form.RichEdit1->Handle()), twips);
    EXPECT_EQ(DefaultTwipsOf(form.Gutter->RichEdit2->Handle()), twips);
    EXPECT_EQ(form.RichEdit1->Font().height, m.fontHeight);
    EXPECT_EQ(form.RichEdit1->PixelsPerInch(), m.scale.Dpi());

    HWND bar = form.ToolBar1->Handle();
    const auto button = ::SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0);
    EXPECT_EQ(LOWORD(button), m.toolButton.width);
    EXPECT_EQ(HIWORD(button), m.toolButton.height);
    int imageWidth = 0, imageHeight = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(::SendMessageA(bar, TB_GETIMAGELIST, 0, 0)),
                          &imageWidth, &imageHeight);
    EXPECT_EQ(imageWidth, m.toolImage);
    EXPECT_EQ(imageHeight, m.toolImage);
    int parts[4] = {};
    ::SendMessageA(form.StatusBar1->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    for (std::size_t k = 0; k < m.statusEdges.size(); ++k) EXPECT_EQ(parts[k], m.statusEdges[k]) << k;
}

} // namespace dodir::testing
