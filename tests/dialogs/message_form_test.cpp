#include "dialogs/message_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ui/application.h"
#include "app/form1.h"
#include "base/win/window.h"
#include "wine_support.h"

using namespace dodir;
using dodir::testing::MessageBoxWatcher;
using dodir::testing::Pump;
using dodir::testing::PumpUntil;

namespace {

using B = MessageButton;

const std::string kDivider(27, '-');

std::string ClassOf(HWND wnd) {
    char buf[64]{};
    ::GetClassNameA(wnd, buf, sizeof buf);
    return buf;
}

// Text of a window of this process, also from another thread.
std::string TextOf(HWND wnd) {
    char buf[2048]{};
    ::SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                          nullptr);
    return buf;
}

RECT RectIn(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT Frame(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return r;
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

// The platform's message font, the one the box is to use.
LOGFONTA MessageLogFont() {
    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof m;
    EXPECT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0));
    return m.lfMessageFont;
}

// Size of text drawn with the message font by DrawTextA in the given format.
SIZE DrawnSize(const std::string& text, UINT format, int widthLimit = 0) {
    LOGFONTA lf = MessageLogFont();
    win::UniqueFont font(::CreateFontIndirectA(&lf));
    win::WindowDc dc(nullptr);
    win::SelectObjectScope selected(dc.get(), font.get());
    RECT r{0, 0, widthLimit, 0};
    ::DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | format);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Dialog units of the message font, measured as the box is to measure them.
struct Units {
    int x, y;
};
Units MessageFontUnits() {
    LOGFONTA lf = MessageLogFont();
    win::UniqueFont font(::CreateFontIndirectA(&lf));
    win::WindowDc dc(nullptr);
    win::SelectObjectScope selected(dc.get(), font.get());
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    ::GetTextExtentPointA(dc.get(), letters, 52, &size);
    return {size.cx / 52, size.cy};
}

// Whether this thread shows a window of the class "#32770" (the platform's message box).
bool PlatformBoxUp(DWORD thread) {
    bool up = false;
    ::EnumThreadWindows(
        thread,
        [](HWND wnd, LPARAM lp) -> BOOL {
            if (ClassOf(wnd) == "#32770" && ::IsWindowVisible(wnd)) *reinterpret_cast<bool*>(lp) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&up));
    return up;
}

// A box of this thread as a helper thread saw it while it was up.
struct BoxSeen {
    HWND box = nullptr;
    std::string caption, text;
    RECT frame{};
    HWND focus = nullptr;
    std::string focusText;
    int visibleBoxes = 0;
    bool probe = false; // what the test's probe answered while the box was up
};

// Watches this thread's message boxes from a helper thread: for each box in turn it
// records what it sees, then runs `answer` on it and waits until the box is gone.
class MessageFormWatcher {
  public:
    using Answer = std::function<void(HWND box, HWND focus)>;

    explicit MessageFormWatcher(Answer answer, int boxes = 1, std::function<bool()> probe = nullptr)
        : answer_(std::move(answer)), probe_(std::move(probe)), boxes_(boxes) {
        worker_ = std::thread([this] { Watch(); });
    }
    MessageFormWatcher(const MessageFormWatcher&) = delete;
    MessageFormWatcher& operator=(const MessageFormWatcher&) = delete;
    ~MessageFormWatcher() { Join(); }

    const std::vector<BoxSeen>& Seen() {
        Join();
        return seen_;
    }

    // Answers.
    static Answer Key(UINT vk) {
        return [vk](HWND, HWND focus) {
            ::PostMessageA(focus, WM_KEYDOWN, vk, 1);
            ::PostMessageA(focus, WM_KEYUP, vk, 0xC0000001);
        };
    }
    static Answer Char(char c) {
        return [c](HWND, HWND focus) { ::PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(c), 1); };
    }
    static Answer TitleBarClose() {
        return [](HWND box, HWND) {
            const RECT r = Frame(box);
            ::PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(r.right - 8, r.top + 8));
        };
    }

  private:
    static std::vector<HWND> VisibleBoxes(DWORD thread) {
        std::vector<HWND> found;
        ::EnumThreadWindows(
            thread,
            [](HWND wnd, LPARAM lp) -> BOOL {
                if (ClassOf(wnd) == "TMessageForm" && ::IsWindowVisible(wnd))
                    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    void Join() {
        stop_ = true;
        if (worker_.joinable()) worker_.join();
    }

    void Watch() {
        const DWORD end = ::GetTickCount() + 15000;
        while (static_cast<int>(seen_.size()) < boxes_ && ::GetTickCount() < end) {
            const auto boxes = VisibleBoxes(thread_);
            if (boxes.empty()) {
                if (stop_) return;
                ::Sleep(20);
                continue;
            }
            ::Sleep(100); // let activation and focus settle
            BoxSeen seen;
            seen.box = boxes.front();
            seen.visibleBoxes = static_cast<int>(VisibleBoxes(thread_).size());
            seen.caption = TextOf(seen.box);
            seen.text = TextOf(::GetDlgItem(seen.box, TMessageForm::kMessageId));
            seen.frame = Frame(seen.box);
            GUITHREADINFO gui{};
            gui.cbSize = sizeof gui;
            ::GetGUIThreadInfo(thread_, &gui);
            seen.focus = gui.hwndFocus;
            seen.focusText = TextOf(seen.focus);
            if (probe_) seen.probe = probe_();
            answer_(seen.box, seen.focus);
            for (int i = 0; i < 250 && ::IsWindow(seen.box) && ::IsWindowVisible(seen.box); ++i) ::Sleep(20);
            seen_.push_back(seen);
        }
    }

    Answer answer_;
    std::function<bool()> probe_;
    int boxes_;
    DWORD thread_ = ::GetCurrentThreadId();
    std::atomic<bool> stop_{false};
    std::vector<BoxSeen> seen_;
    std::thread worker_;
};

// Keys held for the thread's key state, as a real press would leave them; released on exit.
class HeldKeys {
  public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        ::GetKeyboardState(saved_);
        BYTE state[256];
        ::GetKeyboardState(state);
        for (int k : keys) state[k] = 0x80;
        ::SetKeyboardState(state);
    }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;
    ~HeldKeys() { ::SetKeyboardState(saved_); }

  private:
    BYTE saved_[256];
};

std::string ClipboardText() {
    std::string text;
    if (!::OpenClipboard(nullptr)) return "<clipboard busy>";
    if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(::GlobalLock(h));
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    return text;
}

void PutOnClipboard(const std::string& text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(mem), text.c_str(), text.size() + 1);
    ::GlobalUnlock(mem);
    ::SetClipboardData(CF_TEXT, mem);
    ::CloseClipboard();
}

const MessageButtons kQuestion{B::Yes, B::No};

} // namespace

// --- Building: parts, caption, layout ---

TEST(MessageFormBuild, PlainNoticeHasNoIconTheTitleAsCaptionAndItsOkButtonCentredBelowTheText) {
    const auto form = BuildMessageForm("上書きしました。", MessageKind::Custom, {B::OK});
    HWND box = form->Handle();
    EXPECT_EQ(ClassOf(box), "TMessageForm");
    EXPECT_FALSE(::IsWindowVisible(box));
    EXPECT_EQ(TextOf(box), "ミルテ");
    EXPECT_EQ(form->Image(), nullptr);
    EXPECT_EQ(::GetDlgItem(box, TMessageForm::kImageId), nullptr);
    EXPECT_EQ(TextOf(form->Message()), "上書きしました。");

    const auto buttons = ButtonsOf(box);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(TextOf(buttons[0]), "OK");
    EXPECT_EQ(ButtonType(buttons[0]), BS_DEFPUSHBUTTON);

    RECT client{};
    ::GetClientRect(box, &client);
    const RECT ok = RectIn(box, buttons[0]);
    const RECT text = RectIn(box, form->Message());
    // Centred: the gaps left and right differ at most by the pixel that division drops.
    EXPECT_LE(std::abs((client.right - ok.right) - ok.left), 1)
        << ok.left << " " << ok.right << " " << client.right;
    EXPECT_GT(ok.top, text.bottom);
    EXPECT_GT(client.bottom, ok.bottom);
    // Without an icon the text starts at the margins: 8/4 and 8/8 of the font's dialog units.
    const Units units = MessageFontUnits();
    EXPECT_EQ(text.left, ::MulDiv(8, units.x, 4));
    EXPECT_EQ(text.top, ::MulDiv(8, units.y, 8));
    EXPECT_EQ(ok.bottom - ok.top, ::MulDiv(14, units.y, 8));
    EXPECT_EQ(ok.right - ok.left,
              std::max<LONG>(::MulDiv(50, units.x, 4), DrawnSize("OK", DT_SINGLELINE).cx + 8));
    // The label is as large as the text drawn in the message font.
    const SIZE drawn =
        DrawnSize("上書きしました。", DT_WORDBREAK | DT_EXPANDTABS, ::GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(text.right - text.left, drawn.cx);
    EXPECT_EQ(text.bottom - text.top, drawn.cy);
}

TEST(MessageFormBuild, QuestionHasTheQuestionIconAndYesNoWithYesAsDefault) {
    const auto form = BuildMessageForm("ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    HWND box = form->Handle();
    EXPECT_EQ(TextOf(box), "確認");
    ASSERT_NE(form->Image(), nullptr);
    EXPECT_EQ(::SendMessageA(form->Image(), STM_GETICON, 0, 0),
              reinterpret_cast<LRESULT>(::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_QUESTION))));
    const RECT icon = RectIn(box, form->Image());
    EXPECT_EQ(icon.right - icon.left, 32);
    EXPECT_EQ(icon.bottom - icon.top, 32);
    const RECT text = RectIn(box, form->Message());
    EXPECT_GT(text.left, icon.right); // the text stands right of the icon
    EXPECT_EQ(text.top, icon.top);

    const auto buttons = ButtonsOf(box);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(TextOf(buttons[0]), "はい(&Y)");
    EXPECT_EQ(TextOf(buttons[1]), "いいえ(&N)");
    EXPECT_EQ(ButtonType(buttons[0]), BS_DEFPUSHBUTTON);
    EXPECT_EQ(ButtonType(buttons[1]), BS_PUSHBUTTON);
    EXPECT_EQ(buttons[0], form->DefaultButton());
    const RECT yes = RectIn(box, buttons[0]), no = RectIn(box, buttons[1]);
    EXPECT_EQ(yes.right - yes.left, no.right - no.left); // one width for all
    EXPECT_EQ(yes.top, no.top);
    EXPECT_LT(yes.right, no.left);
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
        const auto form = BuildMessageForm("x", row.kind, {B::OK});
        EXPECT_EQ(TextOf(form->Handle()), row.caption);
        ASSERT_NE(form->Image(), nullptr) << row.caption;
        EXPECT_EQ(::SendMessageA(form->Image(), STM_GETICON, 0, 0),
                  reinterpret_cast<LRESULT>(::LoadIconA(nullptr, row.icon)))
            << row.caption;
    }
}

TEST(MessageFormBuild, ShortTextWithAnIconIsLaidOutAsIfThirtyTwoPixelsHigh) {
    const auto form = BuildMessageForm("短い", MessageKind::Error, {B::OK});
    HWND box = form->Handle();
    const RECT text = RectIn(box, form->Message());
    const RECT icon = RectIn(box, form->Image());
    ASSERT_LT(text.bottom - text.top, 32) << "the message font is too tall for this test";
    const RECT ok = RectIn(box, ButtonsOf(box).at(0));
    // The buttons start below the 32-pixel block, not below the shorter text.
    EXPECT_EQ(ok.top - icon.bottom, form->Layout().metrics.vertSpacing);
    EXPECT_GT(ok.top - text.bottom, form->Layout().metrics.vertSpacing);
}

TEST(MessageFormBuild, LongTextWrapsAtHalfTheScreenAndTheBoxGrows) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "メモ帳 ";
    const int half = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    const SIZE oneLine = DrawnSize(text, DT_SINGLELINE);
    ASSERT_GT(oneLine.cx, half * 2);
    const auto form = BuildMessageForm(text, MessageKind::Custom, {B::OK});
    const RECT label = RectIn(form->Handle(), form->Message());
    EXPECT_LE(label.right - label.left, half);
    EXPECT_GT(label.right - label.left, half * 3 / 4);
    EXPECT_GE(label.bottom - label.top, 3 * oneLine.cy);
    RECT client{};
    ::GetClientRect(form->Handle(), &client);
    EXPECT_GT(client.bottom, label.bottom);
    // The label wraps the same text in the same place: at its own width it needs its own height.
    EXPECT_EQ(DrawnSize(text, DT_WORDBREAK | DT_EXPANDTABS, label.right - label.left).cy,
              label.bottom - label.top);
}

TEST(MessageFormBuild, AmpersandInTheTextIsAnAcceleratorMarkNotACharacter) {
    const auto form = BuildMessageForm("a&b", MessageKind::Error, {B::OK});
    const RECT label = RectIn(form->Handle(), form->Message());
    EXPECT_EQ(label.right - label.left, DrawnSize("ab", 0).cx);
    EXPECT_LT(label.right - label.left, DrawnSize("a&b", DT_NOPREFIX).cx);
    EXPECT_FALSE(::GetWindowLongPtrA(form->Message(), GWL_STYLE) & SS_NOPREFIX);
}

TEST(MessageFormBuild, ButtonsStandInRowOrderWhateverTheRequestOrder) {
    const auto form = BuildMessageForm("?", MessageKind::Warning, {B::Cancel, B::Retry, B::Yes});
    const auto buttons = ButtonsOf(form->Handle());
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(TextOf(buttons[0]), "はい(&Y)");
    EXPECT_EQ(TextOf(buttons[1]), "キャンセル");
    EXPECT_EQ(TextOf(buttons[2]), "再試行(&R)");
    EXPECT_EQ(ButtonType(buttons[0]), BS_DEFPUSHBUTTON); // Yes: no OK requested
    EXPECT_EQ(ButtonType(buttons[1]), BS_PUSHBUTTON);
    EXPECT_EQ(ButtonType(buttons[2]), BS_PUSHBUTTON);
    EXPECT_EQ(::GetDlgCtrlID(buttons[1]), IDCANCEL);
    EXPECT_EQ(::GetDlgCtrlID(buttons[2]), IDRETRY);
    const int width = RectIn(form->Handle(), buttons[0]).right - RectIn(form->Handle(), buttons[0]).left;
    for (HWND b : buttons) {
        const RECT r = RectIn(form->Handle(), b);
        EXPECT_EQ(r.right - r.left, width);
        EXPECT_GE(r.right - r.left, DrawnSize(TextOf(b), DT_SINGLELINE).cx + 8);
    }
}

TEST(MessageFormBuild, CustomCaptionIsTheApplicationWindowTextCutTo255Bytes) {
    HWND app = Application().Handle();
    const std::string saved = win::GetWindowTextString(app);
    ::SetWindowTextA(app, "別の題");
    EXPECT_EQ(TextOf(BuildMessageForm("x", MessageKind::Custom, {B::OK})->Handle()), "別の題");
    const std::string longTitle(300, 'T');
    ::SetWindowTextA(app, longTitle.c_str());
    EXPECT_EQ(TextOf(BuildMessageForm("x", MessageKind::Custom, {B::OK})->Handle()), std::string(255, 'T'));
    ::SetWindowTextA(app, saved.c_str());
    EXPECT_EQ(TextOf(BuildMessageForm("x", MessageKind::Custom, {B::OK})->Handle()), "ミルテ");
}

// --- Showing: place, focus, results ---

TEST(MessageFormShow, CentredFocusOnTheLeftmostButtonAndDestroyedAfterwards) {
    MessageFormWatcher watcher(MessageFormWatcher::Key(VK_ESCAPE));
    const int result = ShowMessageForm("ファイルを保存しますか？", MessageKind::Confirmation, kQuestion);
    EXPECT_EQ(result, kResultNo);
    const auto& seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    const BoxSeen& box = seen[0];
    EXPECT_EQ(box.caption, "確認");
    EXPECT_EQ(box.text, "ファイルを保存しますか？");
    const int width = box.frame.right - box.frame.left, height = box.frame.bottom - box.frame.top;
    EXPECT_EQ(box.frame.left, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(box.frame.top, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    ASSERT_NE(box.focus, nullptr);
    EXPECT_EQ(box.focusText, "はい(&Y)");
    EXPECT_EQ(box.visibleBoxes, 1);
    EXPECT_FALSE(::IsWindow(box.box));
}

TEST(MessageFormShow, QuestionClosedWithEscAnswersNo) {
    MessageFormWatcher watcher(MessageFormWatcher::Key(VK_ESCAPE));
    EXPECT_EQ(ShowMessageForm("プログラムを終了しますか？", MessageKind::Confirmation, kQuestion), kResultNo);
    EXPECT_EQ(watcher.Seen().size(), 1u);
}

TEST(MessageFormShow, QuestionClosedThroughTheTitleBarGivesCancel) {
    MessageFormWatcher watcher(MessageFormWatcher::TitleBarClose());
    EXPECT_EQ(ShowMessageForm("ファイルを上書き？", MessageKind::Confirmation, kQuestion), kResultCancel);
    EXPECT_EQ(watcher.Seen().size(), 1u);
}

TEST(MessageFormShow, NoticeAnswersOkToEnterAndEscAndCancelToTheTitleBar) {
    {
        MessageFormWatcher watcher(MessageFormWatcher::Key(VK_RETURN));
        EXPECT_EQ(ShowMessageForm("上書きしました。", MessageKind::Custom, {B::OK}), kResultOk);
    }
    {
        MessageFormWatcher watcher(MessageFormWatcher::Key(VK_ESCAPE));
        EXPECT_EQ(ShowMessageForm("上書きしました。", MessageKind::Custom, {B::OK}), kResultOk);
    }
    {
        MessageFormWatcher watcher(MessageFormWatcher::TitleBarClose());
        EXPECT_EQ(ShowMessageForm("上書きしました。", MessageKind::Custom, {B::OK}), kResultCancel);
    }
}

TEST(MessageFormShow, AltF4ClosesWithCancel) {
    const auto form = BuildMessageForm("ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    ::PostMessageA(form->ButtonHandle(B::Yes), WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
    EXPECT_EQ(form->ShowModal(), kResultCancel);
}

TEST(MessageFormShow, AcceleratorLettersAnswerInEitherCase) {
    struct Row {
        char letter;
        int result;
    };
    for (const Row row :
         {Row{'y', kResultYes}, Row{'Y', kResultYes}, Row{'n', kResultNo}, Row{'N', kResultNo}}) {
        MessageFormWatcher watcher(MessageFormWatcher::Char(row.letter));
        EXPECT_EQ(ShowMessageForm("ファイルを上書き？", MessageKind::Confirmation, kQuestion), row.result)
            << row.letter;
    }
}

TEST(MessageFormShow, AltWithTheAcceleratorLetterPressesItsButton) {
    const auto form = BuildMessageForm("ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    ::PostMessageA(form->ButtonHandle(B::Yes), WM_SYSKEYDOWN, 'N', 1 | (1 << 29));
    EXPECT_EQ(form->ShowModal(), kResultNo);
}

TEST(MessageFormShow, AltWithAFunctionOrNumberPadKeyPressesNoButton) {
    // F3, F10 and the pad's decimal key carry the codes of "r", "y" and "n".
    const auto form = BuildMessageForm("?", MessageKind::Confirmation, {B::Yes, B::No, B::Retry});
    HWND yes = form->ButtonHandle(B::Yes);
    for (WPARAM vk : {VK_F3, VK_F10, VK_DECIMAL}) ::PostMessageA(yes, WM_SYSKEYDOWN, vk, 1 | (1 << 29));
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->ShowModal(), kResultCancel);
}

TEST(MessageFormShow, LettersOfNoButtonDoNothing) {
    const auto form = BuildMessageForm("ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    HWND yes = form->ButtonHandle(B::Yes);
    ::PostMessageA(yes, WM_CHAR, 'o', 1);
    ::PostMessageA(yes, WM_CHAR, 'A', 1);
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->ShowModal(), kResultCancel);
}

TEST(MessageFormShow, EnterPressesTheFocusedButtonNotTheDefault) {
    const auto form = BuildMessageForm("ファイルを上書き？", MessageKind::Confirmation, kQuestion);
    HWND yes = form->ButtonHandle(B::Yes), no = form->ButtonHandle(B::No);
    // Tab from Yes reaches No, which then wears the default frame; Enter answers No
    // although Yes is the default button.
    ::PostMessageA(yes, WM_KEYDOWN, VK_TAB, 1);
    MessageFormWatcher watcher(MessageFormWatcher::Key(VK_RETURN), 1, [&] {
        return ButtonType(no) == BS_DEFPUSHBUTTON && ButtonType(yes) == BS_PUSHBUTTON;
    });
    EXPECT_EQ(form->ShowModal(), kResultNo);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].focus, no);
    EXPECT_TRUE(watcher.Seen()[0].probe);
}

TEST(MessageFormShow, ClickOnAButtonAnswersWithItsResult) {
    const auto form = BuildMessageForm("?", MessageKind::Warning, {B::Abort, B::Retry, B::Ignore});
    ::PostMessageA(form->ButtonHandle(B::Ignore), BM_CLICK, 0, 0);
    EXPECT_EQ(form->ShowModal(), kResultIgnore);
}

TEST(MessageFormShow, EscWithoutACancelButtonLeavesTheBoxOpen) {
    // Cancel falls back to OK, which this box does not have.
    const auto form = BuildMessageForm("?", MessageKind::Warning, {B::Retry, B::Ignore});
    ::PostMessageA(form->ButtonHandle(B::Retry), WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageA(form->ButtonHandle(B::Retry), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(form->ShowModal(), kResultRetry);
}

TEST(MessageFormShow, HelpDoesNotCloseTheBox) {
    const auto form = BuildMessageForm("?", MessageKind::Information, {B::OK, B::Help});
    ::PostMessageA(form->ButtonHandle(B::Help), BM_CLICK, 0, 0);
    ::PostMessageA(form->ButtonHandle(B::Help), WM_CHAR, 'h', 1);
    ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->ShowModal(), kResultCancel);
}

TEST(MessageFormShow, OtherWindowsAreDisabledWhileUpAndTheActiveOneComesBack) {
    auto main = std::make_unique<TForm1>(Application());
    ::ShowWindow(main->Handle(), SW_SHOWNORMAL);
    ::SetForegroundWindow(main->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == main->Edit1->Handle(); }));
    ::SetFocus(main->Edit3->Handle());
    HWND mainWnd = main->Handle();
    MessageFormWatcher watcher(MessageFormWatcher::Key(VK_RETURN), 1,
                               [mainWnd] { return !::IsWindowEnabled(mainWnd); });
    ShowNotice("上書きしました。");
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_TRUE(watcher.Seen()[0].probe) << "the main window stayed enabled";
    EXPECT_TRUE(::IsWindowEnabled(mainWnd));
    EXPECT_EQ(::GetActiveWindow(), mainWnd);
    EXPECT_EQ(::GetFocus(), main->Edit3->Handle());
}

// --- Ctrl+C ---

TEST(MessageFormCopy, CtrlCPutsTheBoxTextOnTheClipboardAndKeepsTheBoxOpen) {
    PutOnClipboard("before");
    const auto form = BuildMessageForm("ファイルを上書き？", MessageKind::Confirmation, kQuestion);
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
    PutOnClipboard("before");
    const auto form = BuildMessageForm("上書きしました。", MessageKind::Custom, {B::OK});
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
    std::atomic<bool> opened{false}, release{false};
    std::thread holder([&] {
        opened = ::OpenClipboard(nullptr) != FALSE;
        while (!release) ::Sleep(10);
        if (opened) ::CloseClipboard();
    });
    while (!opened) ::Sleep(10);

    const auto form = BuildMessageForm("上書きしました。", MessageKind::Custom, {B::OK});
    HWND box = form->Handle();
    MessageBoxWatcher errorBox(IDOK);
    // Once the error box has come and gone, the message box must still be up; then close it.
    std::atomic<bool> errorBoxSeen{false}, stillOpen{false};
    const DWORD thread = ::GetCurrentThreadId();
    std::thread closer([&] {
        for (int i = 0; i < 500 && !PlatformBoxUp(thread); ++i) ::Sleep(20);
        errorBoxSeen = PlatformBoxUp(thread);
        for (int i = 0; i < 500 && PlatformBoxUp(thread); ++i) ::Sleep(20);
        ::Sleep(100);
        stillOpen = ::IsWindowVisible(box) != FALSE;
        ::PostMessageA(box, WM_CLOSE, 0, 0);
    });
    {
        HeldKeys ctrl{VK_CONTROL};
        ::PostMessageA(form->ButtonHandle(B::OK), WM_KEYDOWN, 'C', 1);
        EXPECT_EQ(form->ShowModal(), kResultCancel);
    }
    closer.join();
    release = true;
    holder.join();
    EXPECT_EQ(errorBox.Text(), "クリップボードを開くことができません.");
    EXPECT_EQ(errorBox.Caption(), "ミルテ");
    EXPECT_TRUE(errorBoxSeen);
    EXPECT_TRUE(stillOpen);
}
