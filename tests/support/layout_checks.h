// The main window compared with a layout: every control's place, size and font, the toolbar's
// buttons and pictures, the status bar's panels and the editor's font in points. For the
// in-process tests; header-only.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "app/form1.h"
#include "app/main_layout.h"
#include "support/win_helpers.h"

namespace dodir::testing {

inline void ExpectAt(HWND parent, HWND control, const TRect& r, const char* name) {
    const RECT got = RectIn(parent, control);
    EXPECT_EQ(std::tuple(got.left, got.top, got.right, got.bottom),
              std::tuple(r.left, r.top, r.right, r.bottom))
        << name;
}

inline int FontHeightOf(HWND control) {
    LOGFONTA lf{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight;
}

inline void ExpectLaidOutAs(const TForm1& form, const TMainLayout& m) {
    HWND main = form.Handle();
    RECT inside{};
    ::GetClientRect(main, &inside);
    EXPECT_EQ((TSize{inside.right, inside.bottom}), m.client);
    const std::tuple<HWND, TRect, const char*> placed[] = {
        {form.Edit1->Handle(), m.edit1, "Edit1"},
        {form.Edit2->Handle(), m.edit2, "Edit2"},
        {form.Edit3->Handle(), m.edit3, "Edit3"},
        {form.Button1->Handle(), m.button1, "Button1"},
        {form.Button2->Handle(), m.button2, "Button2"},
        {form.StatusBar1->Handle(), m.statusBar, "bar"},
        {form.RichEdit1->Handle(), m.editor, "editor"},
        {form.ToolBar1->Handle(), m.toolBar, "toolbar"},
        {form.Gutter->RichEdit2->Handle(), m.gutter, "gutter"}};
    for (const auto& [control, place, name] : placed) ExpectAt(main, control, place, name);
    // A combo box sizes its own height to its font: its place and width follow the layout.
    for (const auto& [combo, place] :
         {std::pair{form.ComboBox1.get(), m.comboBox1}, {form.ComboBox2.get(), m.comboBox2}}) {
        const RECT r = RectIn(main, combo->Handle());
        EXPECT_EQ(std::tuple(r.left, r.top, r.right), std::tuple(place.left, place.top, place.right));
    }
    for (HWND c : {form.Edit1->Handle(), form.Edit2->Handle(), form.Edit3->Handle(), form.Button1->Handle(),
                   form.Button2->Handle(), form.ComboBox1->Handle(), form.ComboBox2->Handle()})
        EXPECT_EQ(FontHeightOf(c), m.fontHeight);
    // The window font's pixels at the layout's resolution: the same points at any.
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    ::SendMessageA(form.RichEdit1->Handle(), EM_GETCHARFORMAT, SCF_DEFAULT,
                   reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.yHeight, -MulDivRound(m.fontHeight, 72 * 20, m.scale.Dpi()));
    EXPECT_EQ(form.RichEdit1->Font().height, m.fontHeight);
    EXPECT_EQ(form.Gutter->RichEdit2->Font().height, m.fontHeight);

    HWND bar = form.ToolBar1->Handle();
    const auto button = ::SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0);
    EXPECT_EQ((TSize{LOWORD(button), HIWORD(button)}), m.toolButton);
    int imageWidth = 0, imageHeight = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(::SendMessageA(bar, TB_GETIMAGELIST, 0, 0)),
                          &imageWidth, &imageHeight);
    EXPECT_EQ((TSize{imageWidth, imageHeight}), (TSize{m.toolImage, m.toolImage}));
    std::array<int, 4> parts{};
    ::SendMessageA(form.StatusBar1->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts.data()));
    EXPECT_EQ((std::array{parts[0], parts[1], parts[2]}), m.statusEdges);
}

} // namespace dodir::testing
