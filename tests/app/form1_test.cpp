#include "app/form1.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "ui/application.h"
#include "base/win/window.h"
#include "support/layout_checks.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

class Form1Test : public ::testing::Test {
  protected:
    RECT ChildRect(HWND child) { return RectIn(form_->Handle(), child); }

    ShownForm1 form_;
};

} // namespace

TEST_F(Form1Test, WindowFrameAndPlace) {
    HWND w = form_->Handle();
    EXPECT_EQ(ClassOf(w), "TForm1");
    EXPECT_EQ(form_->Caption(), "dodir");
    RECT client{};
    ::GetClientRect(w, &client);
    EXPECT_EQ(client.right, 688);
    EXPECT_EQ(client.bottom, 460);
    RECT frame{};
    ::GetWindowRect(w, &frame);
    EXPECT_EQ(frame.left, 242);
    EXPECT_EQ(frame.top, 202);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(w, GWL_STYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(::GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(::GetWindow(w, GW_OWNER), TestApplication().Handle());
}

TEST_F(Form1Test, SystemMenuKeepsOnlyMoveAndClose) {
    // Wine may add an item of its own; the window's standard commands are what count.
    HMENU sys = ::GetSystemMenu(form_->Handle(), FALSE);
    std::vector<UINT> commands;
    for (int i = 0; i < ::GetMenuItemCount(sys); ++i) {
        const UINT id = ::GetMenuItemID(sys, i);
        EXPECT_NE(id, 0u) << "separator at " << i;
        for (UINT standard : {SC_SIZE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE, SC_RESTORE, SC_TASKLIST})
            if (id == standard) commands.push_back(id);
    }
    EXPECT_EQ(commands, (std::vector<UINT>{SC_MOVE, SC_CLOSE}));
}

TEST_F(Form1Test, ControlsHaveTheirClassesPlacesAndContents) {
    struct Row {
        HWND wnd;
        const char* cls;
        RECT bounds;
    };
    const Row rows[] = {
        {form_->Edit1->Handle(), "Edit", {392, 416, 425, 436}},
        {form_->Edit2->Handle(), "Edit", {456, 416, 489, 436}},
        {form_->Edit3->Handle(), "Edit", {520, 416, 553, 436}},
        {form_->Button1->Handle(), "Button", {560, 416, 617, 433}},
        {form_->Button2->Handle(), "Button", {624, 416, 681, 433}},
        {form_->StatusBar1->Handle(), "msctls_statusbar32", {0, 442, 688, 460}},
        {form_->RichEdit1->Handle(), "RichEdit", {32, 24, 681, 393}},
        {form_->ToolBar1->Handle(), "ToolbarWindow32", {0, 0, 688, 25}},
        {form_->Gutter->RichEdit2->Handle(), "RichEdit", {0, 24, 33, 393}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ClassOf(row.wnd).size(), std::string(row.cls).size());
        EXPECT_EQ(::lstrcmpiA(ClassOf(row.wnd).c_str(), row.cls), 0) << row.cls;
        const RECT r = ChildRect(row.wnd);
        EXPECT_EQ(r.left, row.bounds.left) << row.cls;
        EXPECT_EQ(r.top, row.bounds.top) << row.cls;
        EXPECT_EQ(r.right, row.bounds.right) << row.cls;
        EXPECT_EQ(r.bottom, row.bounds.bottom) << row.cls;
    }
    for (auto* edit : {form_->Edit1.get(), form_->Edit2.get(), form_->Edit3.get()})
        EXPECT_EQ(edit->Text(), "255");
    EXPECT_EQ(win::GetWindowTextString(form_->Button1->Handle()), "背景色");
    EXPECT_EQ(win::GetWindowTextString(form_->Button2->Handle()), "文字色");
    for (auto* combo : {form_->ComboBox1.get(), form_->ComboBox2.get()}) {
        EXPECT_EQ(combo->ItemCount(), 8);
        EXPECT_EQ(combo->ItemIndex(), -1);
        EXPECT_EQ(ClassOf(combo->Handle()), "ComboBox");
        EXPECT_EQ(ChildRect(combo->Handle()).left, combo == form_->ComboBox1.get() ? 8 : 120);
        EXPECT_TRUE(::GetWindowLongPtrA(combo->Handle(), GWL_STYLE) & CBS_DROPDOWNLIST);
        char item[16]{};
        ::SendMessageA(combo->Handle(), CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(item, "緑");
    }
    EXPECT_EQ(form_->RichEdit1->Text(), "");
    EXPECT_EQ(form_->Gutter->RichEdit2->Text(), "");
}

TEST_F(Form1Test, EditorStyles) {
    // The vertical scroll bar shows only while the text does not fit.
    std::string lines;
    for (int i = 0; i < 60; ++i) lines += "行\r\n";
    ::SetWindowTextA(form_->RichEdit1->Handle(), lines.c_str());
    Pump();
    const auto editor = ::GetWindowLongPtrA(form_->RichEdit1->Handle(), GWL_STYLE);
    EXPECT_TRUE(editor & WS_VSCROLL);
    EXPECT_FALSE(editor & WS_HSCROLL);
    EXPECT_FALSE(editor & ES_AUTOHSCROLL);
    EXPECT_TRUE(editor & ES_MULTILINE);
    const auto gutter = ::GetWindowLongPtrA(form_->Gutter->RichEdit2->Handle(), GWL_STYLE);
    EXPECT_FALSE(gutter & WS_VSCROLL);
    EXPECT_TRUE(gutter & ES_RIGHT);
    EXPECT_TRUE(::GetWindowLongPtrA(form_->RichEdit1->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(Form1Test, LaterControlsLieOnTop) {
    // The gutter covers the editor's leftmost column, the toolbar their top row.
    EXPECT_EQ(::ChildWindowFromPointEx(form_->Handle(), POINT{32, 200}, CWP_SKIPINVISIBLE),
              form_->Gutter->RichEdit2->Handle());
    EXPECT_EQ(::ChildWindowFromPointEx(form_->Handle(), POINT{100, 24}, CWP_SKIPINVISIBLE),
              form_->ToolBar1->Handle());
    EXPECT_EQ(::ChildWindowFromPointEx(form_->Handle(), POINT{100, 25}, CWP_SKIPINVISIBLE),
              form_->RichEdit1->Handle());
}

TEST_F(Form1Test, StartUpStatusTexts) {
    EXPECT_EQ(form_.Panel(TStatusPanel::Background), "背景色R:255 G:255 B:255");
    EXPECT_EQ(form_.Panel(TStatusPanel::Text), "文字色R:0 G:0 B:0");
    EXPECT_EQ(form_.Panel(TStatusPanel::Mouse), "");
    EXPECT_EQ(form_.Panel(TStatusPanel::Caret), " 行：1");
    int edges[4]{};
    ASSERT_EQ(::SendMessageA(form_->StatusBar1->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)),
              4);
    EXPECT_EQ(edges[0], 150);
    EXPECT_EQ(edges[1], 300);
    EXPECT_EQ(edges[2], 450);
    EXPECT_EQ(edges[3], -1);
}

TEST_F(Form1Test, SettingAPanelToItsOwnTextChangesNothing) {
    MessageCounter sets(form_->StatusBar1->Handle(), SB_SETTEXTA);
    form_->StatusBar1->SetPanelText(TStatusPanel::Mouse, "  X:1 Y:2");
    EXPECT_EQ(sets.count, 1);
    form_->StatusBar1->SetPanelText(TStatusPanel::Mouse, "  X:1 Y:2");
    EXPECT_EQ(sets.count, 1);
    form_->StatusBar1->SetPanelText(TStatusPanel::Mouse, "  X:1 Y:3");
    EXPECT_EQ(sets.count, 2);
    EXPECT_EQ(form_.Panel(TStatusPanel::Mouse), "  X:1 Y:3");
}

TEST_F(Form1Test, MouseMoveOverTheEditorShowsInPanel2) {
    ::SendMessageA(form_->RichEdit1->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));
    EXPECT_EQ(form_.Panel(TStatusPanel::Mouse), "  X:0 Y:0");
    ::SendMessageA(form_->RichEdit1->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-12, 500));
    EXPECT_EQ(form_.Panel(TStatusPanel::Mouse), "  X:-12 Y:500");
    ::SendMessageA(form_->Gutter->RichEdit2->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(form_.Panel(TStatusPanel::Mouse), "  X:-12 Y:500");
}

TEST_F(Form1Test, StartUpFocusIsEdit1WithItsTextSelected) {
    ASSERT_EQ(::GetFocus(), form_->Edit1->Handle());
    DWORD from = 0, to = 0;
    ::SendMessageA(form_->Edit1->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                   reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 3u);
}

TEST_F(Form1Test, TabOrderRunsThroughTheControlsAndWraps) {
    const HWND expected[] = {form_->Edit2->Handle(),     form_->Edit3->Handle(),
                             form_->Button1->Handle(),   form_->Button2->Handle(),
                             form_->ComboBox1->Handle(), form_->ComboBox2->Handle(),
                             form_->RichEdit1->Handle(), form_->Gutter->RichEdit2->Handle(),
                             form_->Edit1->Handle()};
    for (HWND next : expected) {
        PressKey(VK_TAB);
        EXPECT_EQ(::GetFocus(), next);
    }
    EXPECT_EQ(form_->RichEdit1->Text(), ""); // Tab typed nothing into either editor
    EXPECT_EQ(form_->Gutter->RichEdit2->Text(), "");
}

TEST_F(Form1Test, ShiftTabGoesBackwards) {
    {
        HeldKeys shift{VK_SHIFT};
        PressKey(VK_TAB);
    }
    EXPECT_EQ(::GetFocus(), form_->Gutter->RichEdit2->Handle());
}

TEST_F(Form1Test, ArrowsOnAPushButtonMoveAlongEveryControl) {
    ::SetFocus(form_->Button2->Handle());
    PressKey(VK_RIGHT);
    EXPECT_EQ(::GetFocus(), form_->StatusBar1->Handle()); // not a tab stop, still reached
    ::SetFocus(form_->Button2->Handle());
    PressKey(VK_UP);
    EXPECT_EQ(::GetFocus(), form_->Button1->Handle());
    PressKey(VK_LEFT);
    EXPECT_EQ(::GetFocus(), form_->Edit3->Handle());
    PressKey(VK_LEFT); // an edit box takes its arrows itself
    EXPECT_EQ(::GetFocus(), form_->Edit3->Handle());
}

TEST_F(Form1Test, FocusComesBackAfterDeactivation) {
    ::SetFocus(form_->Edit3->Handle());
    HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                   nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SetActiveWindow(other);
    Pump();
    ::SetActiveWindow(form_->Handle());
    Pump();
    EXPECT_EQ(::GetFocus(), form_->Edit3->Handle());
    ::DestroyWindow(other);
}

TEST_F(Form1Test, TypingPastTheDefaultLimitKeepsEverything) {
    form_->RichEdit1->Focus();
    // The limit belongs to the control; the gutter refresh on every key would only make
    // forty thousand keys slow.
    form_->RichEdit1->OnKeyPress = nullptr;
    // Short paragraphs keep the control's layout work small; the limit counts them all.
    const int count = 40040;
    for (int i = 0; i < count; ++i)
        ::SendMessageA(form_->RichEdit1->Handle(), WM_CHAR,
                       i % 80 == 78   ? '\r'
                       : i % 80 == 79 ? '\n'
                                      : 'a' + i % 26,
                       1);
    EXPECT_EQ(form_->RichEdit1->TextLength(), count);
}

TEST_F(Form1Test, CloseRequestPostsQuit) {
    ::SendMessageA(form_->Handle(), WM_CLOSE, 0, 0);
    MSG msg{};
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_TRUE(::IsWindowVisible(form_->Handle()));
}

namespace {
// Notifications that reach the form's window procedure while it still dispatches to the
// form's handlers (its window data still names the object).
int g_dispatchedNotifications = 0;
LRESULT CALLBACK WatchTeardown(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_COMMAND && ::GetWindowLongPtrA(wnd, GWLP_USERDATA) != 0) ++g_dispatchedNotifications;
    return ::DefSubclassProc(wnd, msg, wParam, lParam);
}
} // namespace

// Destroying the focused control sends the form a notification (EN_KILLFOCUS,
// CBN_KILLFOCUS); it must not reach handlers whose controls, toolbar and fonts are already
// gone. The form stops dispatching before any of its parts goes.
TEST(Form1Teardown, NoNotificationReachesTheHandlersWhereverTheFocusIs) {
    using Pick = HWND (*)(TForm1&);
    const Pick picks[] = {
        [](TForm1& f) { return f.RichEdit1->Handle(); },
        [](TForm1& f) { return f.ComboBox1->Handle(); },
        [](TForm1& f) { return f.Edit2->Handle(); },
    };
    for (Pick pick : picks) {
        ShownForm1 form;
        HWND focus = pick(*form);
        ::SetFocus(focus);
        Pump();
        ASSERT_EQ(::GetFocus(), focus);
        g_dispatchedNotifications = 0;
        ::SetWindowSubclass(form->Handle(), &WatchTeardown, 0x7E58, 0);
        form.Destroy();
        Pump();
        EXPECT_EQ(g_dispatchedNotifications, 0);
    }
}

// The system's message of a new resolution: the window is laid out as a start at 144 dpi lays
// it out, at the suggested place, and back at 96 dpi exactly as it was; the document, its
// view, colours and fonts stay.
TEST_F(Form1Test, ANewResolutionLaysTheWindowOutAgainAndKeepsTheDocument) {
    HWND w = form_->Handle();
    TRichEdit& editor = *form_->RichEdit1;
    std::string text;
    for (int k = 1; k <= 200; ++k) text += "行 " + std::to_string(k) + "\r\n";
    ::SetWindowTextA(editor.Handle(), text.c_str());
    editor.SetSelectionStart(100);
    editor.SetSelectionLength(7);
    TFont chosen;
    chosen.height = -16; // 12 points at 96 dpi
    editor.SelectionFormat.AssignFont(chosen);
    form_->ComboBox1->SetItemIndex(2);
    form_->ComboBox1Change();
    form_->ComboBox2->SetItemIndex(3);
    form_->ComboBox2Change();
    ::SendMessageA(editor.Handle(), EM_LINESCROLL, 0, 30);
    const auto documentState = [&] {
        CHARFORMATA f{};
        f.cbSize = sizeof f;
        ::SendMessageA(editor.Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
        return std::tuple{editor.Text(),
                          editor.SelectionStart(),
                          editor.SelectionLength(),
                          FirstVisibleLine(editor.Handle()),
                          editor.Color(),
                          f.yHeight,
                          f.crTextColor};
    };
    const auto before = documentState();
    ASSERT_GT(std::get<3>(before), 0);
    ASSERT_EQ(std::get<5>(before), 12 * 20);
    const RECT startFrame = FrameOf(w);

    RECT suggested{100, 80, 1100, 900}; // no frame of this size holds the client size
    ::SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ExpectLaidOutAs(*form_, MainLayout(TScale(144)));
    EXPECT_EQ(form_->Scale().Dpi(), 144); // the resolution printing takes the editor's font at
    EXPECT_EQ(FrameOf(w).left, 100);
    EXPECT_EQ(FrameOf(w).top, 80);
    EXPECT_TRUE(documentState() == before);
    EXPECT_EQ(FontHeightOf(form_->AboutBox->OKButton->Handle()), -18);

    RECT back = startFrame;
    ::SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
    ExpectLaidOutAs(*form_, MainLayout(TScale(96)));
    const RECT frame = FrameOf(w);
    EXPECT_TRUE(::EqualRect(&frame, &startFrame));
    EXPECT_TRUE(documentState() == before);
    EXPECT_EQ(FontHeightOf(form_->AboutBox->OKButton->Handle()), -12);
}
