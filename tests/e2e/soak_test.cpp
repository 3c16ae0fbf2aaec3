// A seeded random walk through the real program with real input: typing, pasting, the keys and
// the mouse in the editor and the gutter, the toolbar's buttons, the colour lists and boxes, and
// every box and dialog the program shows, each answered at random with keys or the mouse.
//
// After every step the program must still run, answer within 10 s, keep its main window
// enabled, show no window but its own expected ones, and keep the editor's selection out of
// the inside of a line break. A file opens as the text it was saved from. At the end the
// document is saved, emptied, opened again and compared, and Exit must end the program with
// code 0.
//
// DODIR_SOAK_SEED and DODIR_SOAK_ACTIONS choose the walk (scripts/soak.sh runs long ones);
// DODIR_SOAK_VERBOSE=1 prints every step. A failure names the seed and the last steps.
#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "appearance/color_rules.h"
#include "base/errors.h"
#include "base/texts.h"
#include "harness.h"

using namespace e2e;
using namespace dodir;
using dodir::testing::FrameOf;

namespace {

// ToolButtonN numbers.
constexpr int kNew = 1, kOpen = 2, kSave = 3, kFind = 7, kCut = 8, kCopy = 9, kPaste = 10, kSelectAll = 11,
              kReplace = 12, kExit = 13, kFont = 14, kAbout = 17, kUndo = 19;

const std::string kTitle = "ミルテ", kConfirm = "確認", kError = "エラー", kOpenCaption = "開く",
                  kSaveCaption = "名前を付けて保存", kFontCaption = "フォントの指定", kFindCaption = "検索",
                  kReplaceCaption = "文字列の置換", kAboutCaption = "バージョン情報", kNoFile = "dodir";

// Where the walk keeps the windows, side by side, so that a click aimed at one lands on it.
constexpr POINT kMainPlace{8, 8}, kAboutPlace{710, 8}, kFindPlace{710, 420}, kReplacePlace{710, 580};

const std::vector<std::string> kPastes = {"日本語のメモ", "ｶﾀｶﾅ",          "買い物：牛乳、卵\r\n",
                                          "①②③",          "{\\rtf1 違う}", "行1\r\n行2\r\n",
                                          "予定表\\ {x}", "～＼￥"};
const std::vector<std::string> kWords = {"a", "the", "x{", "1", "日本", "ソフト", "\\"};
const std::vector<std::string> kReplacements = {"", "B", "abc", "語", "}{"};
const std::vector<std::string> kColourValues = {
    "0", "128", "255", "$FF", "0x1f", " 12", "+5", "256", "-1", "abc", "", "12x", "$", "-$10", "99999999999"};
const char kTypable[] = "abcdefghijklmnopqrstuvwxyzABCXYZ0123456789   .,-!?{}\\()[]@#$%&*+=;:'\"<>/_~^|`";
const std::vector<std::string> kSeedFiles = {"plain.txt", "unix.txt", "rich.rtf", "empty.txt"};
const std::vector<std::string> kSaveNames = {"memo1.rtf", "memo2.txt", "plain.txt"};

struct SoakFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

unsigned EnvNumber(const char* name, unsigned fallback) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : fallback;
}

// Line breaks shown as \r and \n.
std::string Quoted(const std::string& text) {
    std::string shown = "\"";
    for (char c : text) shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return shown + "\"";
}

std::string Describe(HWND wnd) {
    std::string d = ClassOf(wnd) + " [" + TextOf(wnd) + "]";
    const std::string text = BoxText(wnd);
    return text.empty() ? d : d + " \"" + text + "\"";
}

class Walk {
  public:
    explicit Walk(unsigned seed) : rng_(seed) {
        WriteFileBytes(dir_.Path("plain.txt"), "first line\r\n日本語の二行目\r\n");
        WriteFileBytes(dir_.Path("unix.txt"), "one\ntwo\n\nfour");
        WriteFileBytes(dir_.Path("rich.rtf"), "{\\rtf1\\ansi rich {\\b bold} text\\par second\\par}");
        WriteFileBytes(dir_.Path("empty.txt"), "");
        ::SetWindowPos(Main(), nullptr, kMainPlace.x, kMainPlace.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Check();
    }

    void Step(int number) {
        step_ = "#" + std::to_string(number);
        using Action = void (Walk::*)();
        static const std::pair<int, Action> actions[] = {
            {12, &Walk::TypeAscii},     {6, &Walk::PasteJapanese}, {20, &Walk::Keys},    {9, &Walk::Mouse},
            {6, &Walk::EditingButton},  {1, &Walk::NewDocument},   {3, &Walk::OpenFile}, {3, &Walk::SaveFile},
            {1, &Walk::ExitAnsweredNo}, {6, &Walk::FindOrReplace}, {2, &Walk::About},    {1, &Walk::Font},
            {3, &Walk::PresetColour},   {4, &Walk::CustomColour},
        };
        static const int total = [] {
            int sum = 0;
            for (const auto& a : actions) sum += a.first;
            return sum;
        }();
        int at = Pick(total);
        for (const auto& [weight, run] : actions) {
            if ((at -= weight) < 0) {
                (this->*run)();
                break;
            }
        }
        Check();
        EndStep();
    }

    // Saves, empties the editor, opens the saved file and compares; Exit answered "yes".
    void Finish() {
        step_ = "#end";
        Activate(Main());
        Note("save");
        Tool(kSave);
        std::string saved = caption_;
        if (caption_ == kNoFile) {
            HWND dialog = ExpectBox("#32770", kSaveCaption);
            saved = dir_.Path("final.rtf");
            TypeFileName(dialog, saved);
            PressIn(dialog, VK_RETURN);
            ExpectGone(dialog);
        } else {
            PressIn(ExpectBox("TMessageForm", kTitle, "上書きしました。"), VK_RETURN);
        }
        Sync();
        const std::string text = Text();
        NewDocument();
        Open(saved, false);
        if (Text() != text) Fail("opened again as " + Quoted(Text()) + ", saved as " + Quoted(text));
        Note("exit");
        Tool(kExit);
        AnswerYesNo(ExpectBox("TMessageForm", kConfirm, "ファイルを上書き？"), false);
        AnswerYesNo(ExpectBox("TMessageForm", kConfirm, "プログラムを終了しますか？"), true);
        const long code = program_.WaitForExit(10000);
        if (code != 0) Fail("the program's end gave " + std::to_string(code));
        EndStep();
    }

    std::string RecentSteps() const {
        std::string all;
        for (const auto& s : history_) all += s + "\n";
        return all + step_ + " (the failing step)\n";
    }

  private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }
    const std::string& OneOf(const std::vector<std::string>& list) {
        return list[static_cast<std::size_t>(Pick(static_cast<int>(list.size())))];
    }
    void Note(const std::string& what) { step_ += " " + what + ";"; }
    void EndStep() {
        if (std::getenv("DODIR_SOAK_VERBOSE")) std::printf("%s\n", step_.c_str());
        history_.push_back(step_);
        if (history_.size() > 20) history_.pop_front();
    }
    [[noreturn]] static void Fail(const std::string& why) { throw SoakFailure(why); }

    HWND Main() const { return program_.MainWindow(); }
    // Asked again each time: opening a file gives the editor a new window.
    HWND Editor() const { return program_.Control(idRichEdit1); }
    std::string Text() const { return TextOf(Editor()); }
    CHARRANGE Selection() const {
        CHARRANGE s{};
        if (!SendWithRemoteBuffer(Editor(), EM_EXGETSEL, 0, &s, sizeof s)) Fail("no selection read");
        return s;
    }
    void Sync() {
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutA(Main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result))
            Fail("the program did not answer within 10 s");
    }

    // The windows the program may leave open between steps.
    bool Resting(HWND wnd) const {
        const std::string cls = ClassOf(wnd), caption = TextOf(wnd);
        return wnd == Main() || (cls == "TApplication" && caption == kTitle) ||
               (cls == "TAboutBox" && caption == kAboutCaption) ||
               (cls == "#32770" && (caption == kFindCaption || caption == kReplaceCaption));
    }
    std::vector<HWND> Newcomers() const {
        std::pair<const Walk*, std::vector<HWND>> ctx{this, {}};
        ::EnumWindows(
            [](HWND wnd, LPARAM lp) -> BOOL {
                auto* c = reinterpret_cast<decltype(ctx)*>(lp);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(wnd, &pid);
                if (pid == c->first->program_.ProcessId() && ::IsWindowVisible(wnd) &&
                    !c->first->Resting(wnd))
                    c->second.push_back(wnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&ctx));
        return ctx.second;
    }

    void Check() {
        const long code = program_.WaitForExit(0);
        if (code >= 0) Fail("the program ended with code " + std::to_string(code));
        Sync();
        ::Sleep(50);
        for (HWND wnd : Newcomers()) Fail("unexpected window " + Describe(wnd));
        if (!::IsWindowEnabled(Main())) Fail("the main window stays disabled");
        if (TextOf(Main()) != caption_) Fail("the caption reads " + TextOf(Main()) + ", not " + caption_);
        // Positions count characters: the text as UTF-16 indexes them.
        const std::string text = Text();
        std::wstring wide(text.size(), L'\0');
        wide.resize(static_cast<std::size_t>(::MultiByteToWideChar(
            932, 0, text.data(), static_cast<int>(text.size()), wide.data(), static_cast<int>(wide.size()))));
        const CHARRANGE s = Selection();
        for (const LONG at : {s.cpMin, s.cpMax}) {
            const auto p = static_cast<std::size_t>(at);
            if (at > 0 && p < wide.size() && wide[p - 1] == L'\r' && wide[p] == L'\n')
                Fail("the selection " + std::to_string(s.cpMin) + "-" + std::to_string(s.cpMax) +
                     " ends inside a line break");
        }
    }

    // Waits for a box of that class and caption (and message text, if given).
    HWND ExpectBox(const std::string& cls, const std::string& caption,
                   const std::optional<std::string>& text = std::nullopt) {
        HWND found = nullptr;
        std::string other = "none came";
        WaitFor(
            [&] {
                for (HWND wnd : Newcomers()) {
                    if (ClassOf(wnd) == cls && TextOf(wnd) == caption)
                        found = wnd;
                    else
                        other = "came " + Describe(wnd);
                }
                return found != nullptr;
            },
            10000);
        const std::string wanted = cls + " [" + caption + "]" + (text ? " \"" + *text + "\"" : "");
        if (!found) Fail("expected " + wanted + ", " + other);
        if (text && BoxText(found) != *text) Fail("expected " + wanted + ", came " + Describe(found));
        return found;
    }
    void ExpectGone(HWND wnd) {
        if (!WaitFor([&] { return Gone(wnd); })) Fail(Describe(wnd) + " stayed open");
    }

    // The mouse. Two clicks close in time and place make a double-click, which a closed colour
    // list takes for no click at all: a click meant to drop it waits that out.
    void ClickAt(HWND wnd, int x, int y) {
        Click(wnd, x, y);
        lastClick_ = ::GetTickCount();
    }
    void WaitOutDoubleClick() const {
        const DWORD since = ::GetTickCount() - lastClick_, doubleTime = ::GetDoubleClickTime();
        if (since <= doubleTime) ::Sleep(doubleTime - since + 20);
    }
    void Tool(int number) {
        ClickToolButton(program_.Control(idToolBar1), number);
        lastClick_ = ::GetTickCount();
    }
    // A point of a control of the main window must be uncovered for the mouse to reach it.
    void ExpectUncovered(HWND control, int x, int y) const {
        POINT p{x, y};
        ::ClientToScreen(control, &p);
        HWND root = ::GetAncestor(::WindowFromPoint(p), GA_ROOT);
        if (root != Main()) Fail("the point aimed at lies under " + Describe(root));
    }
    void ClickIn(HWND control, int x, int y, std::optional<POINT> dragTo = std::nullopt) {
        ExpectUncovered(control, x, y);
        if (dragTo)
            Drag(control, x, y, dragTo->x, dragTo->y);
        else
            Click(control, x, y);
        lastClick_ = ::GetTickCount();
    }
    static void MoveTo(HWND wnd, POINT place) {
        ::SetWindowPos(wnd, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Answering a box or dialog.
    void PressIn(HWND wnd, WORD vk) {
        Activate(wnd);
        PressKey(vk);
    }
    void ClickButton(HWND dialog, int id) {
        HWND button = ::GetDlgItem(dialog, id);
        if (!button || ClassOf(button) != "Button")
            Fail(Describe(dialog) + " has no button " + std::to_string(id));
        ClickMiddle(button);
        lastClick_ = ::GetTickCount();
    }
    // The title bar's close box, found by asking the window what lies under the caption row.
    void ClickCloseBox(HWND wnd) {
        const RECT frame = FrameOf(wnd), client = ClientRectOnScreen(wnd);
        const int y = (frame.top + client.top) / 2;
        int right = -1, left = -1;
        for (int x = frame.right - 1; x > frame.right - 100 && (right < 0 || left == x + 1); --x) {
            DWORD_PTR hit = 0;
            ::SendMessageTimeoutA(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit);
            if (hit != HTCLOSE) continue;
            if (right < 0) right = x;
            left = x;
        }
        if (right < 0) Fail(Describe(wnd) + " has no close box");
        ClickAt(wnd, (left + right) / 2 - client.left, y - client.top);
    }
    // Closes a box or dialog one way or another: 0 Enter, 1 Esc, 2 OK, 3 Cancel, 4 close box.
    void Close(HWND box, int way) {
        static const char* const names[] = {"Enter", "Esc", "OK clicked", "cancel clicked", "close box"};
        Note(names[way]);
        if (way < 2)
            PressIn(box, way == 0 ? VK_RETURN : VK_ESCAPE);
        else if (way < 4)
            ClickButton(box, way == 2 ? IDOK : IDCANCEL);
        else
            ClickCloseBox(box);
        ExpectGone(box);
    }
    void AnswerOk(HWND box) { Close(box, std::vector{0, 1, 2, 4}[static_cast<std::size_t>(Pick(4))]); }
    void AnswerYesNo(HWND box, bool yes) {
        const int way = Pick(yes ? 3 : 4);
        Note(std::string(yes ? "yes" : "no") + " by " + std::to_string(way));
        if (way == 1)
            ClickButton(box, yes ? IDYES : IDNO);
        else if (way == 3)
            ClickCloseBox(box);
        else
            PressIn(box, way == 0 ? (yes ? 'Y' : 'N') : yes ? VK_RETURN : VK_ESCAPE);
        ExpectGone(box);
    }
    void TypeFileName(HWND dialog, const std::string& path) {
        Activate(dialog);
        ::Sleep(200);
        PressKey(VK_HOME);
        PressKey(VK_END, true);
        TypeText(path);
        if (!WaitFor([&] { return TextOf(::GetDlgItem(dialog, cmb13)) == path; }, 3000))
            Fail("the file name box does not read " + path);
    }
    // Confirms a file dialog with a path typed, or cancels it; gives the path or "".
    std::string AnswerFileDialog(HWND dialog, const std::string& path, bool mayCancel = true) {
        const int way = Pick(mayCancel ? 10 : 7);
        if (way >= 7) {
            Close(dialog, std::vector{1, 3, 4}[static_cast<std::size_t>(way - 7)]);
            return "";
        }
        Note("file " + path);
        TypeFileName(dialog, path);
        if (way < 4)
            PressKey(VK_RETURN);
        else
            ClickButton(dialog, IDOK);
        ExpectGone(dialog);
        return path;
    }
    // Sets a box of a dialog: clicked, emptied, typed (pasted when not ASCII).
    void SetField(HWND field, const std::string& text) {
        ClearField(field);
        lastClick_ = ::GetTickCount();
        bool ascii = true;
        for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii) {
            TypeText(text);
        } else {
            PutOnClipboard(text);
            PressKey('V', false, true);
        }
        if (!WaitFor([&] { return TextOf(field) == text; }, 3000)) Fail("a box does not read " + text);
    }

    // The focus in the editor, the gutter or a colour box of the active main window, where
    // keys do nothing but edit; the editor clicked when it is elsewhere.
    void FocusForKeys() {
        if (::GetForegroundWindow() != Main()) Activate(Main());
        HWND focus = FocusOf(Main());
        for (int id : {idRichEdit1, idRichEdit2, idEdit1, idEdit2, idEdit3})
            if (focus == program_.Control(id)) return;
        RECT r{};
        ::GetClientRect(Editor(), &r);
        Note("editor clicked");
        ClickIn(Editor(), 5 + Pick(r.right - 10), 5 + Pick(r.bottom - 10));
    }

    // The steps.
    void TypeAscii() {
        static const std::string typable = [] {
            std::string keys; // only the characters a key of the layout makes
            for (const char* c = kTypable; *c; ++c)
                if (::VkKeyScanA(*c) != -1) keys += *c;
            return keys;
        }();
        std::string text;
        for (int n = 1 + Pick(12); n > 0; --n)
            text += typable[static_cast<std::size_t>(Pick(int(typable.size())))];
        Note("type " + Quoted(text));
        FocusForKeys();
        TypeText(text);
    }
    void PasteJapanese() {
        const std::string& text = OneOf(kPastes);
        Note("paste " + Quoted(text));
        FocusForKeys();
        if (!PutOnClipboard(text)) Fail("the clipboard cannot be set");
        PressKey('V', false, true);
    }
    void Keys() {
        static const WORD keys[] = {VK_LEFT,  VK_RIGHT, VK_UP,     VK_DOWN, VK_HOME,   VK_END,
                                    VK_PRIOR, VK_NEXT,  VK_RETURN, VK_BACK, VK_DELETE, VK_TAB};
        const int which = Pick(12);
        const WORD key = keys[which];
        const bool shift = Chance(30), ctrl = key != VK_TAB && Chance(15);
        const int times = 1 + Pick(which < 8 ? 4 : 2); // moves more often than edits
        Note("key " + std::to_string(key) + (shift ? "+Shift" : "") + (ctrl ? "+Ctrl" : "") + " x" +
             std::to_string(times));
        FocusForKeys();
        for (int k = 0; k < times; ++k) PressKey(key, shift, ctrl);
    }
    // A click or a drag in the editor or the gutter.
    void Mouse() {
        HWND control = Chance(70) ? Editor() : program_.Control(idRichEdit2);
        RECT r{};
        ::GetClientRect(control, &r);
        const int x = Pick(r.right), y = Pick(r.bottom);
        const POINT to{Pick(r.right), Pick(r.bottom)};
        const bool drag = Chance(40);
        Note(std::string(drag ? "drag" : "click") + (control == Editor() ? " editor " : " gutter ") +
             std::to_string(x) + "," + std::to_string(y));
        ClickIn(control, x, y, drag ? std::optional(to) : std::nullopt);
    }
    // Cut, Copy, Paste, Select All and Undo.
    void EditingButton() {
        static const int buttons[] = {kCut, kCopy, kPaste, kSelectAll, kUndo};
        const int which = buttons[Pick(5)];
        Note("button " + std::to_string(which));
        Tool(which);
    }
    void NewDocument() {
        Note("new");
        Tool(kNew);
        caption_ = kNoFile;
        if (!WaitFor([&] { return Text().empty(); })) Fail("New left " + Quoted(Text()));
    }
    // Opens through the dialog; a file saved or opened before must come back as it was.
    void Open(const std::string& path, bool mayCancel = true) {
        Note("open");
        Tool(kOpen);
        if (AnswerFileDialog(ExpectBox("#32770", kOpenCaption), path, mayCancel).empty()) return;
        if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return AnswerOk(ExpectBox("#32770", kTitle, ErrorBoxText("ファイル " + path + " は開けません")));
        if (!WaitFor([&] { return TextOf(Main()) == path; }, 15000))
            Fail("the caption did not become the path");
        caption_ = path;
        Sync();
        const auto known = known_.find(path);
        if (known != known_.end() && known->second != Text())
            Fail("opened as " + Quoted(Text()) + ", saved or opened before as " + Quoted(known->second));
        known_[path] = Text();
    }
    void OpenFile() {
        Open(dir_.Path(Chance(10) ? "missing.txt" : Chance(50) ? OneOf(kSeedFiles) : OneOf(kSaveNames)));
    }
    void SaveFile() {
        Note("save");
        Tool(kSave);
        if (caption_ == kNoFile)
            SaveThroughDialog();
        else
            ExpectOverwritten();
    }
    void SaveThroughDialog() {
        const std::string text = Text();
        const std::string path =
            AnswerFileDialog(ExpectBox("#32770", kSaveCaption), dir_.Path(OneOf(kSaveNames)));
        if (path.empty()) return;
        Sync();
        if (ReadFileBytes(path).rfind("{\\rtf", 0) != 0) Fail(path + " was not saved as rich text");
        known_[path] = text;
    }
    void ExpectOverwritten() {
        HWND notice = ExpectBox("TMessageForm", kTitle, "上書きしました。");
        known_[caption_] = Text();
        AnswerOk(notice);
    }
    // Exit: the offer to save answered either way, the question to end answered "no".
    void ExitAnsweredNo() {
        Note("exit");
        Tool(kExit);
        const bool opened = caption_ != kNoFile, save = Chance(30);
        AnswerYesNo(
            ExpectBox("TMessageForm", kConfirm, opened ? "ファイルを上書き？" : "ファイルを保存しますか？"),
            save);
        if (save && opened) ExpectOverwritten();
        if (save && !opened) SaveThroughDialog();
        AnswerYesNo(ExpectBox("TMessageForm", kConfirm, "プログラムを終了しますか？"), false);
    }
    // Find or replace: the boxes filled, a few presses (each finds, replaces or shows the
    // not-found box), then the dialog left open or closed.
    void FindOrReplace() {
        const bool replace = Chance(50);
        const std::string& word = OneOf(kWords);
        Note(std::string(replace ? "replace " : "find ") + Quoted(word));
        Tool(replace ? kReplace : kFind);
        HWND dialog = program_.FindWindowOf("#32770", (replace ? kReplaceCaption : kFindCaption).c_str());
        if (!dialog) Fail("the dialog did not open");
        MoveTo(dialog, replace ? kReplacePlace : kFindPlace);
        SetField(::GetDlgItem(dialog, edt1), word);
        if (replace) SetField(::GetDlgItem(dialog, edt2), OneOf(kReplacements));
        for (int presses = 1 + Pick(3); presses > 0; --presses) {
            static const int buttons[] = {IDOK, psh1, psh2};
            const int button = replace ? buttons[Pick(3)] : IDOK;
            Note("button " + std::to_string(button));
            const std::string text = Text();
            const CHARRANGE s = Selection();
            if (button == IDOK && Chance(50))
                PressIn(dialog, VK_RETURN);
            else
                ClickButton(dialog, button);
            // A press finds (the selection moves), replaces (the text changes) or says not found.
            if (!WaitFor([&] {
                    const CHARRANGE now = Selection();
                    return !Newcomers().empty() || Text() != text || now.cpMin != s.cpMin ||
                           now.cpMax != s.cpMax;
                }))
                Fail("a press of the dialog's button did nothing");
            if (!Newcomers().empty())
                AnswerOk(
                    ExpectBox("TMessageForm", kError, "検索領域に\"" + word + "\"は見つかりませんでした。"));
        }
        const int way = Pick(4);
        if (way > 0) Close(dialog, std::vector{1, 3, 4}[static_cast<std::size_t>(way - 1)]);
    }
    // The About box, modeless: left open, or closed by Enter, OK or the close box; Esc leaves it.
    void About() {
        Note("about");
        Tool(kAbout);
        HWND box = program_.FindWindowOf("TAboutBox", kAboutCaption.c_str());
        if (!box) Fail("the About box did not show");
        MoveTo(box, kAboutPlace);
        const int way = Pick(5);
        if (way == 1) {
            PressIn(box, VK_ESCAPE);
            ::Sleep(200);
            if (Gone(box)) Fail("Esc closed the About box");
        } else if (way > 1) {
            Close(box, std::vector{0, 2, 4}[static_cast<std::size_t>(way - 2)]);
        }
    }
    // The font dialog: its lists moved in, then confirmed, cancelled or applied and left.
    void Font() {
        Note("font");
        Tool(kFont);
        HWND dialog = ExpectBox("#32770", kFontCaption);
        Activate(dialog);
        if (Chance(50)) PressKey(VK_TAB);
        for (int k = Pick(4); k > 0; --k) PressKey(VK_DOWN);
        const std::string size = TextOf(::GetDlgItem(dialog, cmb3));
        Note(Quoted(TextOf(::GetDlgItem(dialog, cmb1))) + " " + Quoted(size));
        if (Chance(20)) {
            Note("apply");
            ClickButton(dialog, psh3);
            Sync();
        }
        const int way = Pick(5);
        if (!size.empty() || (way != 0 && way != 2)) return Close(dialog, way);
        // A face without a size in the allowed range (a bitmap face, which some platforms list
        // among the first): the dialog refuses Enter and OK in a box of its own and stays.
        Note(way == 0 ? "Enter" : "OK clicked");
        if (way == 0)
            PressIn(dialog, VK_RETURN);
        else
            ClickButton(dialog, IDOK);
        HWND refusal = nullptr;
        WaitFor([&] {
            for (HWND wnd : Newcomers())
                if (wnd != dialog && ClassOf(wnd) == "#32770") refusal = wnd;
            return refusal != nullptr;
        });
        if (!refusal) Fail("the font dialog took a font without a size");
        Note("refused " + Quoted(BoxText(refusal)));
        Close(refusal, 0);
        Close(dialog, 1);
    }
    // A colour list, picked from with the mouse or moved through with the arrows.
    void PresetColour() {
        HWND combo = program_.Control(Chance(50) ? idComboBox1 : idComboBox2);
        Note("colour list");
        RECT r{};
        ::GetClientRect(combo, &r);
        WaitOutDoubleClick();
        ClickIn(combo, r.right / 2, r.bottom / 2);
        HWND list = program_.FindWindowOf("ComboLBox");
        if (!list) Fail("the colour list did not drop down");
        if (Chance(33)) {
            const auto height = static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
            RECT lr{};
            ::GetClientRect(list, &lr);
            const int row = Pick(std::max(1, static_cast<int>(lr.bottom / std::max(1, height))));
            Note("row " + std::to_string(row));
            ClickAt(list, 20, row * height + height / 2);
        } else {
            PressKey(VK_ESCAPE);
            for (int k = Pick(4), vk = Chance(60) ? VK_DOWN : VK_UP; k > 0; --k)
                PressKey(static_cast<WORD>(vk));
        }
        if (!WaitFor([&] { return Gone(list); })) Fail("the colour list stayed down");
    }
    // The red, green and blue boxes retyped, then a colour button: the boxes the colour rule
    // gives for their texts must come, and no others.
    void CustomColour() {
        Note("colours");
        for (int id : {idEdit1, idEdit2, idEdit3}) {
            if (Chance(50)) continue;
            const std::string& value = OneOf(kColourValues);
            Note("colour box " + Quoted(value));
            HWND edit = program_.Control(id);
            ExpectUncovered(edit, 10, 10);
            SetField(edit, value);
        }
        if (Chance(25)) return;
        const bool background = Chance(50);
        Note(background ? "background button" : "text button");
        std::vector<std::pair<std::string, std::string>> boxes; // class, text
        try {
            for (const auto& problem :
                 CustomColor(TextOf(program_.Control(idEdit1)), TextOf(program_.Control(idEdit2)),
                             TextOf(program_.Control(idEdit3)))
                     .problems)
                boxes.emplace_back("TMessageForm", problem);
        } catch (const EConvertError& e) {
            boxes.emplace_back("#32770", ErrorBoxText(e.Message()));
        }
        HWND button = program_.Control(background ? idButton1 : idButton2);
        RECT r{};
        ::GetClientRect(button, &r);
        ClickIn(button, r.right / 2, r.bottom / 2);
        for (const auto& [cls, text] : boxes) AnswerOk(ExpectBox(cls, kTitle, text));
    }

    std::mt19937 rng_;
    const TempFolder dir_;
    Program program_;
    std::string caption_ = kNoFile;
    std::map<std::string, std::string> known_; // the text each file opens as
    DWORD lastClick_ = 0;
    std::string step_;
    std::deque<std::string> history_;
};

} // namespace

TEST(Soak, RandomWalkThroughTheRealProgram) {
    const unsigned seed = EnvNumber("DODIR_SOAK_SEED", 20260214);
    const int actions = static_cast<int>(EnvNumber("DODIR_SOAK_ACTIONS", 200));
    std::printf("soak: seed %u, %d actions\n", seed, actions);
    std::fflush(stdout);
    std::optional<Walk> walk;
    int step = 0;
    try {
        walk.emplace(seed);
        const DWORD start = ::GetTickCount();
        for (; step < actions; ++step) {
            walk->Step(step + 1);
            if ((step + 1) % 500 == 0) {
                std::printf("soak: %d steps, %lu s\n", step + 1, (::GetTickCount() - start) / 1000);
                std::fflush(stdout);
            }
        }
        walk->Finish();
        std::printf("soak: %d steps passed in %lu s\n", actions, (::GetTickCount() - start) / 1000);
    } catch (const std::exception& e) {
        FAIL() << "seed " << seed << ", step " << step + 1 << " of " << actions << ": " << e.what()
               << "\nthe last steps:\n"
               << (walk ? walk->RecentSteps() : "") << "run again with DODIR_SOAK_SEED=" << seed
               << " DODIR_SOAK_ACTIONS=" << actions;
    }
}
