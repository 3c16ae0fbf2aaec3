#include "dialogs/message_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "ui/application.h"
#include "base/win/window.h"
#include "wine_support.h"

namespace dodir {
void PrintTo(const MessageRect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}
} // namespace dodir

using namespace dodir;
using namespace dodir::testing;

namespace {

using B = MessageButton;

const std::string kDivider(27, '-');

// Where a part of the box stands, in the box's client area.
MessageRect PlaceOf(HWND box, HWND part) {
    const RECT r = RectIn(box, part);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The push buttons of a box, left to right.
std::vector<HWND> ButtonsOf(HWND box) {
    std::vector<HWND> out;
    for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        if (::lstrcmpiA(ClassOf(c).c_str(), "Button") == 0) out.push_back(c);
    std::sort(out.begin(), out.end(),
              [box](HWND a, HWND b) { return RectIn(box, a).left < RectIn(box, b).left; });
    return out;
}

LONG_PTR ButtonType(HWND button) { return ::GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK; }

// Size of text drawn by DrawTextA in the given format with the platform's message font,
// the one the box is to use.
SIZE DrawnSize(const std::string& text, UINT format, int widthLimit = 0) {
    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof m;
    EXPECT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0));
    win::UniqueFont font(::CreateFontIndirectA(&m.lfMessageFont));
    win::WindowDc dc(nullptr);
    win::SelectObjectScope selected(dc.get(), font.get());
    RECT r{0, 0, widthLimit, 0};
    ::DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | format);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Every part of the box stands where its layout puts it, with the caption, id and frame of
// its button kind, in a client area of the layout's size.
void ExpectPlacedAsLaidOut(const TMessageForm& form) {
    const MessageLayout& layout = form.Layout();
    HWND box = form.Handle();
    RECT client{};
    ::GetClientRect(box, &client);
    EXPECT_EQ(client.right, layout.clientWidth);
    EXPECT_EQ(client.bottom, layout.clientHeight);
    EXPECT_EQ(PlaceOf(box, form.Message()), layout.text);
    ASSERT_EQ(form.Image() != nullptr, layout.hasIcon);
    if (layout.hasIcon) {
        EXPECT_EQ(PlaceOf(box, form.Image()), layout.icon);
    }
    const auto buttons = ButtonsOf(box);
    ASSERT_EQ(buttons.size(), layout.buttons.size());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const MessageButtonPlacement& placed = layout.buttons[i];
        EXPECT_EQ(PlaceOf(box, buttons[i]), placed.bounds) << i;
        EXPECT_EQ(TextOf(buttons[i]), InfoOf(placed.button).caption);
        EXPECT_EQ(::GetDlgCtrlID(buttons[i]), TMessageForm::ButtonId(placed.button));
        EXPECT_EQ(ButtonType(buttons[i]), placed.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) << i;
    }
}

const MessageButtons kQuestion{B::Yes, B::No};

BoxWatcher::Step Answered(BoxWatcher::Answer answer) { return BoxWatcher::MessageForm(std::move(answer)); }

} // namespace

// --- Building: parts, caption, layout ---

TEST(MessageFormBuild, PlainNoticeHasNoIconTheTitleAsCaptionAndAnOkButtonAndIsMeasuredInTheMessageFont) {
    const auto form = BuildMessageForm(TestApplication(), "上書きしました。", MessageKind::Custom, {B::OK});
    HWND box = form->Handle();
    EXPECT_EQ(ClassOf(box), "TMessageForm");
    EXPECT_FALSE(::IsWindowVisible(box));
    EXPECT_EQ(TextOf(box), "ミルテ");
    EXPECT_EQ(::GetDlgItem(box, TMessageForm::kImageId), nullptr);
    EXPECT_EQ(TextOf(form->Message()), "上書きしました。");
    const auto buttons = ButtonsOf(box);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(TextOf(buttons[0]), "OK");
    ExpectPlacedAsLaidOut(*form);
    // The layout measured with the message font: the label is as large as the text drawn in
    // it, and the dialog units are the font's.
    const MessageLayout& layout = form->Layout();
    const SIZE drawn =
        DrawnSize("上書きしました。", DT_WORDBREAK | DT_EXPANDTABS, ::GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(layout.text.width, drawn.cx);
    EXPECT_EQ(layout.text.height, drawn.cy);
    const SIZE sample = DrawnSize(kDialogUnitSample, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_TRUE(layout.metrics == ScaleMessageMetrics(DialogUnitsFromSampleExtent({sample.cx, sample.cy})))
        << sample.cx << " x " << sample.cy;
}

TEST(MessageFormBuild, QuestionHasYesAndNoWithYesAsDefault) {
    const auto form =
        BuildMessageForm(TestApplication(), "ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    const auto buttons = ButtonsOf(form->Handle());
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(TextOf(buttons[0]), "はい(&Y)");
    EXPECT_EQ(TextOf(buttons[1]), "いいえ(&N)");
    EXPECT_EQ(buttons[0], form->DefaultButton());
    ExpectPlacedAsLaidOut(*form);
}

TEST(MessageFormBuild, EachKindHasItsCaptionAndStockIcon) {
    struct Row {
        MessageKind kind;
        const char* caption;
        LPCSTR icon;
    };
    const Row rows[] = {
        {MessageKind::Warning, "警告", IDI_EXCLAMATION},
        {MessageKind::Error, "エラー", IDI_HAND},
        {MessageKind::Information, "情報", IDI_ASTERISK},
        {MessageKind::Confirmation, "確認", IDI_QUESTION},
    };
    for (const auto& row : rows) {
        const auto form = BuildMessageForm(TestApplication(), "x", row.kind, {B::OK});
        EXPECT_EQ(TextOf(form->Handle()), row.caption);
        ASSERT_NE(form->Image(), nullptr) << row.caption;
        EXPECT_EQ(::SendMessageA(form->Image(), STM_GETICON, 0, 0),
                  reinterpret_cast<LRESULT>(::LoadIconA(nullptr, row.icon)))
            << row.caption;
        ExpectPlacedAsLaidOut(*form);
    }
}

TEST(MessageFormBuild, LongTextWrapsAtHalfTheScreenAndTheBoxGrows) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "メモ帳 ";
    const int half = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    const SIZE oneLine = DrawnSize(text, DT_SINGLELINE);
    ASSERT_GT(oneLine.cx, half * 2);
    const auto form = BuildMessageForm(TestApplication(), text, MessageKind::Custom, {B::OK});
    // Measured as drawn wrapped at half the screen: three lines or more.
    const SIZE wrapped = DrawnSize(text, DT_WORDBREAK | DT_EXPANDTABS, half);
    EXPECT_EQ(form->Layout().text.width, wrapped.cx);
    EXPECT_EQ(form->Layout().text.height, wrapped.cy);
    EXPECT_GE(wrapped.cy, 3 * oneLine.cy);
    ExpectPlacedAsLaidOut(*form);
}

TEST(MessageFormBuild, AmpersandInTheTextIsAnAcceleratorMarkNotACharacter) {
    const auto form = BuildMessageForm(TestApplication(), "a&b", MessageKind::Error, {B::OK});
    const RECT label = RectIn(form->Handle(), form->Message());
    EXPECT_EQ(label.right - label.left, DrawnSize("ab", 0).cx);
    EXPECT_LT(label.right - label.left, DrawnSize("a&b", DT_NOPREFIX).cx);
    EXPECT_FALSE(::GetWindowLongPtrA(form->Message(), GWL_STYLE) & SS_NOPREFIX);
}

TEST(MessageFormBuild, ButtonsStandInRowOrderWhateverTheRequestOrderAndFitTheirCaptions) {
    const auto form =
        BuildMessageForm(TestApplication(), "?", MessageKind::Warning, {B::Cancel, B::Retry, B::Yes});
    const auto buttons = ButtonsOf(form->Handle());
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(TextOf(buttons[0]), "はい(&Y)");
    EXPECT_EQ(TextOf(buttons[1]), "キャンセル");
    EXPECT_EQ(TextOf(buttons[2]), "再試行(&R)");
    EXPECT_EQ(buttons[0], form->DefaultButton()); // Yes: no OK requested
    ExpectPlacedAsLaidOut(*form);
    for (HWND b : buttons) {
        const RECT r = RectIn(form->Handle(), b);
        EXPECT_GE(r.right - r.left, DrawnSize(TextOf(b), DT_SINGLELINE).cx + kButtonCaptionPadding);
    }
}

TEST(MessageFormBuild, CustomCaptionIsTheApplicationWindowTextCutTo255Bytes) {
    HWND app = TestApplication().Handle();
    const std::string saved = win::GetWindowTextString(app);
    ::SetWindowTextA(app, "別の題");
    EXPECT_EQ(TextOf(BuildMessageForm(TestApplication(), "x", MessageKind::Custom, {B::OK})->Handle()),
              "別の題");
    const std::string longTitle(300, 'T');
    ::SetWindowTextA(app, longTitle.c_str());
    EXPECT_EQ(TextOf(BuildMessageForm(TestApplication(), "x", MessageKind::Custom, {B::OK})->Handle()),
              std::string(255, 'T'));
    ::SetWindowTextA(app, saved.c_str());
    EXPECT_EQ(TextOf(BuildMessageForm(TestApplication(), "x", MessageKind::Custom, {B::OK})->Handle()),
              "ミルテ");
}

// --- Showing: place, focus, results ---

TEST(MessageFormShow, CentredFocusOnTheLeftmostButtonAndDestroyedAfterwards) {
    BoxWatcher watcher({Answered(BoxWatcher::Key(VK_ESCAPE))});
    const int result =
        ShowMessageForm(TestApplication(), "ファイルを保存しますか？", MessageKind::Confirmation, kQuestion);
    EXPECT_EQ(result, kResultNo);
    const auto& seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    const SeenBox& box = seen[0];
    EXPECT_EQ(box.caption, "確認");
    EXPECT_EQ(box.text, "ファイルを保存しますか？");
    const TPoint centred = CentreIn({0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)},
                                    {box.frame.right - box.frame.left, box.frame.bottom - box.frame.top});
    EXPECT_EQ(box.frame.left, centred.x);
    EXPECT_EQ(box.frame.top, centred.y);
    ASSERT_NE(box.focus, nullptr);
    EXPECT_EQ(box.focusText, "はい(&Y)");
    EXPECT_EQ(box.visibleBoxes, 1);
    EXPECT_FALSE(::IsWindow(box.box));
}

// Esc answers a question No and a notice OK; the title bar gives Cancel; Enter presses the
// focused button; an accelerator letter, in either case, its button.
TEST(MessageFormShow, KeysLettersAndTheTitleBarAnswer) {
    using W = BoxWatcher;
    struct Row {
        const char* how;
        MessageButtons buttons;
        W::Answer answer;
        int result;
    };
    const Row rows[] = {
        {"Esc, question", kQuestion, W::Key(VK_ESCAPE), kResultNo},
        {"title bar, question", kQuestion, W::TitleBarClose(), kResultCancel},
        {"Enter, notice", {B::OK}, W::Key(VK_RETURN), kResultOk},
        {"Esc, notice", {B::OK}, W::Key(VK_ESCAPE), kResultOk},
        {"title bar, notice", {B::OK}, W::TitleBarClose(), kResultCancel},
        {"y", kQuestion, W::Char('y'), kResultYes},
        {"Y", kQuestion, W::Char('Y'), kResultYes},
        {"n", kQuestion, W::Char('n'), kResultNo},
        {"N", kQuestion, W::Char('N'), kResultNo},
    };
    for (const auto& row : rows) {
        const auto kind = row.buttons == kQuestion ? MessageKind::Confirmation : MessageKind::Custom;
        W watcher({Answered(row.answer)});
        EXPECT_EQ(ShowMessageForm(TestApplication(), "上書き？", kind, row.buttons), row.result) << row.how;
        EXPECT_EQ(watcher.Seen().size(), 1u) << row.how;
    }
}

TEST(MessageFormShow, AltF4ClosesWithCancel) {
    const auto form =
        BuildMessageForm(TestApplication(), "ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    ::PostMessageA(form->ButtonHandle(B::Yes), WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
    EXPECT_EQ(form->ShowModal(), kResultCancel);
}

TEST(MessageFormShow, AltWithTheAcceleratorLetterPressesItsButton) {
    const auto form =
        BuildMessageForm(TestApplication(), "ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    ::PostMessageA(form->ButtonHandle(B::Yes), WM_SYSKEYDOWN, 'N', 1 | (1 << 29));
    EXPECT_EQ(form->ShowModal(), kResultNo);
}

TEST(MessageFormShow, AltWithAFunctionOrNumberPadKeyPressesNoButton) {
    // F3, F10 and the pad's decimal key carry the codes of "r", "y" and "n".
    const auto form =
        BuildMessageForm(TestApplication(), "?", MessageKind::Confirmation, {B::Yes, B::No, B::Retry});
    HWND yes = form->ButtonHandle(B::Yes);
    for (WPARAM vk : {VK_F3, VK_F10, VK_DECIMAL}) ::PostMessageA(yes, WM_SYSKEYDOWN, vk, 1 | (1 << 29));
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->ShowModal(), kResultCancel);
}

TEST(MessageFormShow, LettersOfNoButtonDoNothing) {
    const auto form =
        BuildMessageForm(TestApplication(), "ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    HWND yes = form->ButtonHandle(B::Yes);
    ::PostMessageA(yes, WM_CHAR, 'o', 1);
    ::PostMessageA(yes, WM_CHAR, 'A', 1);
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->ShowModal(), kResultCancel);
}

TEST(MessageFormShow, EnterPressesTheFocusedButtonNotTheDefault) {
    const auto form =
        BuildMessageForm(TestApplication(), "ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    HWND yes = form->ButtonHandle(B::Yes), no = form->ButtonHandle(B::No);
    // Tab from Yes reaches No, which then wears the default frame; Enter answers No
    // although Yes is the default button.
    ::PostMessageA(yes, WM_KEYDOWN, VK_TAB, 1);
    BoxWatcher watcher({Answered(BoxWatcher::Key(VK_RETURN))}, [&] {
        return ButtonType(no) == BS_DEFPUSHBUTTON && ButtonType(yes) == BS_PUSHBUTTON;
    });
    EXPECT_EQ(form->ShowModal(), kResultNo);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].focus, no);
    EXPECT_TRUE(watcher.Seen()[0].probe);
}

TEST(MessageFormShow, ClickOnAButtonAnswersWithItsResult) {
    const auto form =
        BuildMessageForm(TestApplication(), "?", MessageKind::Warning, {B::Abort, B::Retry, B::Ignore});
    ::PostMessageA(form->ButtonHandle(B::Ignore), BM_CLICK, 0, 0);
    EXPECT_EQ(form->ShowModal(), kResultIgnore);
}

TEST(MessageFormShow, EscWithoutACancelButtonLeavesTheBoxOpen) {
    // Cancel falls back to OK, which this box does not have.
    const auto form = BuildMessageForm(TestApplication(), "?", MessageKind::Warning, {B::Retry, B::Ignore});
    ::PostMessageA(form->ButtonHandle(B::Retry), WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageA(form->ButtonHandle(B::Retry), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(form->ShowModal(), kResultRetry);
}

TEST(MessageFormShow, HelpDoesNotCloseTheBox) {
    const auto form = BuildMessageForm(TestApplication(), "?", MessageKind::Information, {B::OK, B::Help});
    ::PostMessageA(form->ButtonHandle(B::Help), BM_CLICK, 0, 0);
    ::PostMessageA(form->ButtonHandle(B::Help), WM_CHAR, 'h', 1);
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->ShowModal(), kResultCancel);
}

TEST(MessageFormShow, OtherWindowsAreDisabledWhileUpAndTheActiveOneComesBack) {
    ShownForm1 main;
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == main->Edit1->Handle(); }));
    ::SetFocus(main->Edit3->Handle());
    HWND mainWnd = main->Handle();
    BoxWatcher watcher({Answered(BoxWatcher::Key(VK_RETURN))},
                       [mainWnd] { return !::IsWindowEnabled(mainWnd); });
    ShowNotice(TestApplication(), "上書きしました。");
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_TRUE(watcher.Seen()[0].probe) << "the main window stayed enabled";
    EXPECT_TRUE(::IsWindowEnabled(mainWnd));
    EXPECT_EQ(::GetActiveWindow(), mainWnd);
    EXPECT_EQ(::GetFocus(), main->Edit3->Handle());
}

// --- Ctrl+C ---

TEST(MessageFormCopy, CtrlCPutsTheBoxTextOnTheClipboardAndKeepsTheBoxOpen) {
    ASSERT_TRUE(PutOnClipboard("before"));
    const auto form =
        BuildMessageForm(TestApplication(), "ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    {
        HeldKeys ctrl{VK_CONTROL};
        ::PostMessageA(form->ButtonHandle(B::Yes), WM_KEYDOWN, 'C', 1);
        ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
        EXPECT_EQ(form->ShowModal(), kResultCancel); // the copy closed nothing
    }
    EXPECT_EQ(ClipboardText(), kDivider + "\r\n確認\r\n" + kDivider + "\r\nファイルを上書き？\r\n" +
                                   kDivider + "\r\nはい(Y)   いいえ(N)   \r\n" + kDivider + "\r\n");
}

TEST(MessageFormCopy, CWithShiftOrAltOrAloneCopiesNothing) {
    ASSERT_TRUE(PutOnClipboard("before"));
    const auto form = BuildMessageForm(TestApplication(), "上書きしました。", MessageKind::Custom, {B::OK});
    HWND ok = form->ButtonHandle(B::OK);
    {
        HeldKeys keys{VK_CONTROL, VK_SHIFT};
        ::PostMessageA(ok, WM_KEYDOWN, 'C', 1);
        Pump();
    }
    ::PostMessageA(ok, WM_KEYDOWN, 'C', 1);
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->ShowModal(), kResultCancel);
    EXPECT_EQ(ClipboardText(), "before");
}

TEST(MessageFormCopy, BusyClipboardShowsTheErrorBoxAndTheBoxStaysOpen) {
    // Another thread holds the clipboard open until the box has reported the failure.
    std::atomic<int> holding{0}; // 1: held, -1: could not open it
    std::atomic<bool> release{false};
    std::thread holder([&] {
        holding = ::OpenClipboard(nullptr) ? 1 : -1;
        for (int i = 0; i < 3000 && !release; ++i) ::Sleep(10);
        if (holding == 1) ::CloseClipboard();
    });
    for (int i = 0; i < 1000 && holding == 0; ++i) ::Sleep(10);

    const auto form = BuildMessageForm(TestApplication(), "上書きしました。", MessageKind::Custom, {B::OK});
    HWND box = form->Handle();
    // The error box comes over the message box; once it is answered the message box, still
    // up, is closed.
    BoxWatcher boxes({BoxWatcher::ErrorBox(), Answered(BoxWatcher::TitleBarClose())});
    if (holding == 1) {
        HeldKeys ctrl{VK_CONTROL};
        ::PostMessageA(form->ButtonHandle(B::OK), WM_KEYDOWN, 'C', 1);
        EXPECT_EQ(form->ShowModal(), kResultCancel);
    }
    release = true;
    holder.join();
    ASSERT_EQ(holding, 1) << "the clipboard could not be held";
    const auto& seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "クリップボードを開くことができません.");
    EXPECT_EQ(seen[0].caption, "ミルテ");
    EXPECT_EQ(seen[1].box, box);
}
