// LoadDocument and SaveDocument of the editor's content against real files in a temporary folder.
#include <windows.h>
#include <richedit.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/errors.h"
#include "base/win/handles.h"
#include "base/win/replacement_file.h"
#include "document/document_io.h"
#include "document/load_conversion.h"
#include "editor/rich_edit.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

// The class and message of what f throws.
template <class F> std::string Outcome(F&& f) {
    try {
        f();
    } catch (const EFOpenError& e) {
        return "EFOpenError: " + e.Message();
    } catch (const EFCreateError& e) {
        return "EFCreateError: " + e.Message();
    } catch (const EOutOfResources& e) {
        return "EOutOfResources: " + e.Message();
    } catch (const std::exception& e) {
        return std::string("other: ") + e.what();
    }
    return "no error";
}

std::string OpenError(const std::string& path) { return "EFOpenError: ファイル " + path + " は開けません"; }
std::string CreateError(const std::string& path) {
    return "EFCreateError: ファイル " + path + " を作成できません";
}
const std::string kReadError = "EOutOfResources: ストリームからの読み込みに失敗しました";
const std::string kWriteError = "EOutOfResources: ストリームへの書き込みに失敗しました";

std::string EnvironmentValue(const char* name) {
    char buf[1024]{};
    const DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

// The file held open for reading and writing, without any sharing, by a second process
// (this test program again, running DocumentIoHelper.DISABLED_HoldFileOpen) until
// the object is destroyed.
class HeldByAnotherProcess {
  public:
    explicit HeldByAnotherProcess(const std::string& path) {
        static int sequence = 0;
        const std::string tag = std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++sequence);
        const std::string readyName = "dodir_hold_ready_" + tag;
        const std::string releaseName = "dodir_hold_release_" + tag;
        ready_.reset(::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
        release_.reset(::CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str()));
        ::SetEnvironmentVariableA("DODIR_HOLD_FILE", path.c_str());
        ::SetEnvironmentVariableA("DODIR_HOLD_READY", readyName.c_str());
        ::SetEnvironmentVariableA("DODIR_HOLD_RELEASE", releaseName.c_str());
        char exe[MAX_PATH]{};
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string command = std::string("\"") + exe +
                              "\" --gtest_filter=DocumentIoHelper.DISABLED_HoldFileOpen "
                              "--gtest_also_run_disabled_tests";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (::CreateProcessA(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            process_.reset(pi.hProcess);
            win::UniqueKernelHandle thread(pi.hThread);
        }
        ::SetEnvironmentVariableA("DODIR_HOLD_FILE", nullptr);
        ::SetEnvironmentVariableA("DODIR_HOLD_READY", nullptr);
        ::SetEnvironmentVariableA("DODIR_HOLD_RELEASE", nullptr);
        if (!process_) return;
        const DWORD end = ::GetTickCount() + 30000;
        while (::GetTickCount() < end) {
            if (::WaitForSingleObject(ready_.get(), 20) == WAIT_OBJECT_0) {
                held_ = true;
                return;
            }
            if (::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return; // gave up
            Pump();
        }
    }
    HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
    HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;
    ~HeldByAnotherProcess() { Release(); }

    bool Held() const { return held_; }
    void Release() {
        if (!process_) return;
        ::SetEvent(release_.get());
        if (::WaitForSingleObject(process_.get(), 20000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.get(), 1);
        process_.reset();
    }

  private:
    win::UniqueKernelHandle ready_, release_, process_;
    bool held_ = false;
};

class DocumentIoTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(folder_.Path().empty()); }
    std::string Path(const std::string& name) const { return folder_.Path(name); }

    void SetText(const std::string& t) { SetTextAndPump(editor_->Handle(), t); }

    void ColorRange(int start, int length, TColor color) {
        editor_->SetSelectionStart(start);
        editor_->SetSelectionLength(length);
        editor_->SelectionFormat.TextColor(color);
    }

    // The editor still edits, saves and loads after a failure.
    void ExpectUsable() {
        const std::string before = editor_->Text();
        editor_->SetSelectionStart(0);
        editor_->ReplaceSelection("ok ");
        EXPECT_EQ(editor_->Text(), "ok " + before);
        const std::string again = Path("usable.rtf");
        EXPECT_EQ(Outcome([&] { SaveDocument(*editor_, again); }), "no error");
        EXPECT_EQ(ReadFileBytes(again).rfind("{\\rtf", 0), 0u);
        SetText("");
        EXPECT_EQ(Outcome([&] { LoadDocument(*editor_, again); }), "no error");
        EXPECT_EQ(editor_->Text().rfind("ok " + before, 0), 0u);
        ::DeleteFileA(again.c_str());
    }

    // The text loaded from a plain-text file holding bytes.
    std::string LoadedText(const std::string& bytes) {
        const std::string p = Path("plain.txt");
        EXPECT_TRUE(WriteFileBytes(p, bytes));
        EXPECT_EQ(Outcome([&] { LoadDocument(*editor_, p); }), "no error");
        return editor_->Text();
    }

    TempFolder folder_;
    HostedEditor editor_;
};

// The text of a sample with the red "赤" part; its byte offsets.
const std::string kSample = "日本語の文章です。\r\n二行目は赤い字\r\nEnglish too";
const int kRedStart = static_cast<int>(kSample.find("赤"));
const int kPlainStart = static_cast<int>(kSample.find("English"));

} // namespace

// Run in a second process by HeldByAnotherProcess.
TEST(DocumentIoHelper, DISABLED_HoldFileOpen) {
    const std::string path = EnvironmentValue("DODIR_HOLD_FILE");
    if (path.empty()) GTEST_SKIP() << "started by HeldByAnotherProcess only";
    win::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << path;
    win::UniqueKernelHandle ready(
        ::OpenEventA(EVENT_MODIFY_STATE, FALSE, EnvironmentValue("DODIR_HOLD_READY").c_str()));
    win::UniqueKernelHandle release(
        ::OpenEventA(SYNCHRONIZE, FALSE, EnvironmentValue("DODIR_HOLD_RELEASE").c_str()));
    ASSERT_TRUE(ready && release);
    ::SetEvent(ready.get());
    ::WaitForSingleObject(release.get(), 60000);
}

// Loading plain text

// The conversion runs as the control reads the file (LoadConversion pins its rules): every
// kind of break becomes CR LF and NUL bytes go, also across the control's reads. It offers
// 4096 bytes, so the file is read 2048 bytes at a time: the CR at offset 2047 and its LF
// fall into different reads, and the lead byte of あ on the last byte of the second read.
TEST_F(DocumentIoTest, PlainTextIsConvertedAsTheControlReadsIt) {
    const std::string bytes = std::string(2047, 'x') + "\r\n" + std::string(2046, 'y') + "あ\nend\r" +
                              std::string("a\0b\rc\n\rd", 8);
    ASSERT_EQ(static_cast<unsigned char>(bytes[4095]), 0x82u);
    EXPECT_EQ(LoadedText(bytes),
              std::string(2047, 'x') + "\r\n" + std::string(2046, 'y') + "あ\r\nend\r\nab\r\nc\r\n\r\nd");
}

TEST_F(DocumentIoTest, FileNameExtensionPlaysNoPart) {
    const std::string p = Path("looks-like.rtf");
    ASSERT_TRUE(WriteFileBytes(p, "just text\nsecond"));
    LoadDocument(*editor_, p);
    EXPECT_EQ(editor_->Text(), "just text\r\nsecond");
}

// Rich text

TEST_F(DocumentIoTest, RtfFileIsReadAsRichText) {
    const std::string p = Path("in.txt");
    ASSERT_TRUE(WriteFileBytes(
        p, "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 Gothic;}}"
           "{\\colortbl;\\red255\\green0\\blue0;}\\f0 plain \\cf1 red\\cf0  \\'93\\'fa\\'96\\'7b\\par}"));
    LoadDocument(*editor_, p);
    const std::string text = editor_->Text();
    EXPECT_EQ(text.rfind("plain red 日本", 0), 0u) << text;
    EXPECT_EQ(text.find("rtf"), std::string::npos) << text;
    EXPECT_EQ(text.find("colortbl"), std::string::npos) << text;
    EXPECT_EQ(TextColorOf(FormatAt(*editor_, 6)), static_cast<long long>(RGB(255, 0, 0)));
    EXPECT_EQ(TextColorOf(FormatAt(*editor_, 0)), -1);
}

// The escapes that spell NUL characters are taken out before the control reads the file
// (LoadConversion pins the rule): the text is what the control makes of the bytes as they
// are, less its NUL characters, for each shape of fallback, group, table and code page.
TEST_F(DocumentIoTest, RichTextLosesOnlyTheNulCharactersItSpells) {
    const std::string head =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 IPAGothic;}}\\f0 ";
    const char* bodies[] = {
        "a\\'00b\\'00",
        "a\\u0?b\\u65536?c\\u-65536 d\\u4294967296?e\\u99999999999?f\\u-3?g\\ul0 h\\'0a\\'0di",
        "\\u1000000000000000000000?x\\u100000000000000000001?y",
        "a\\uc0\\u0?b\\uc2\\u0?xc{\\uc3 d\\u0???}\\u0?ye\\uc\\u0?f\\uc-1\\u0?g",
        "\\b\\'00x\\f0\\'001\\b\r\n\\'00y\\i\\u0?z",
        "\\u0\r\n?b\\u0\\'00?c\\u0\\par d\\u0\\{e\\u0\tf",
        "\\u0\\'82\\'a0b\\'82\\u0?\\'a0c\\u12354\\u0?x\\u12354\\'00?y\\'82\\'82\\'82\\u0?\\'a0z",
        "\\'93\\u0?\\'fa\\'96\\u0 \\'7b{\\'82}\\'a0",
        "{\\fonttbl{\\f1\\fcharset128 A\\u0?\\'00B;}}{\\colortbl;\\u0;\\red255\\green0\\blue0;}\\f1\\cf1 "
        "x\\u0?y",
        "x\\bin3 \\u0?z{\\*\\dodir \\u0?w}v",
        "\\u12354{x}\\u12354?{y}z\\uc2\\u12354 ?{w}",
        "end\\u0",
    };
    struct Bytes {
        std::string data;
        std::size_t at = 0;
    };
    const auto read = [](DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) -> DWORD {
        auto& bytes = *reinterpret_cast<Bytes*>(cookie);
        const std::size_t n = std::min(static_cast<std::size_t>(cb), bytes.data.size() - bytes.at);
        std::memcpy(buf, bytes.data.data() + bytes.at, n);
        bytes.at += n;
        *pcb = static_cast<LONG>(n);
        return 0;
    };
    HostedEditor bare;
    const std::string p = Path("spelled.rtf");
    for (const char* body : bodies) {
        Bytes rtf{head + body + "}"};
        EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, read};
        ::SendMessageA(bare->Handle(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
        std::string expected = bare->Text();
        expected.erase(std::remove(expected.begin(), expected.end(), '\0'), expected.end());
        ASSERT_TRUE(WriteFileBytes(p, rtf.data));
        LoadDocument(*editor_, p);
        EXPECT_EQ(editor_->Text(), expected) << body;
    }
}

TEST_F(DocumentIoTest, SavedFileIsRtfEvenUnderATxtName) {
    SetText("plain words");
    const std::string p = Path("saved.txt");
    SaveDocument(*editor_, p);
    const std::string bytes = ReadFileBytes(p);
    EXPECT_EQ(bytes.rfind("{\\rtf", 0), 0u) << bytes.substr(0, 40);
    EXPECT_NE(bytes.find("plain words"), std::string::npos);
    EXPECT_EQ(Listing(folder_.Path()), std::vector<std::string>{"saved.txt"});
}

TEST_F(DocumentIoTest, JapaneseTextAndColoursSurviveSaveAndLoad) {
    SetText(kSample);
    ColorRange(kRedStart, 2, RGBColor(255, 0, 0));
    ColorRange(kPlainStart, 7, RGBColor(0, 0, 200));
    const std::string p = Path("colours.rtf");
    SaveDocument(*editor_, p);

    HostedEditor other;
    LoadDocument(*other, p);
    EXPECT_EQ(other->Text().substr(0, kSample.size()), kSample);
    EXPECT_EQ(other->Text().find_first_not_of("\r\n", kSample.size()), std::string::npos);
    EXPECT_EQ(TextColorOf(FormatAt(*other, kRedStart)), static_cast<long long>(RGB(255, 0, 0)));
    EXPECT_EQ(TextColorOf(FormatAt(*other, kPlainStart + 3)), static_cast<long long>(RGB(0, 0, 200)));
    EXPECT_EQ(TextColorOf(FormatAt(*other, 0)), -1);
    EXPECT_EQ(TextColorOf(FormatAt(*other, kRedStart - 2)), -1);
}

TEST_F(DocumentIoTest, SaveReplacesAnExistingFileAndKeepsItsAttributes) {
    const std::string p = Path("existing.rtf");
    ASSERT_TRUE(
        WriteFileBytes(p, "old content that is longer than the new document will be, by quite a lot ..."));
    ASSERT_TRUE(::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const bool hiddenStored = (::GetFileAttributesA(p.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;
    SetText("new");
    SaveDocument(*editor_, p);
    const std::string bytes = ReadFileBytes(p);
    EXPECT_EQ(bytes.rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(bytes.find("old content"), std::string::npos);
    EXPECT_EQ(Listing(folder_.Path()), std::vector<std::string>{"existing.rtf"});
    if (hiddenStored) {
        EXPECT_NE(::GetFileAttributesA(p.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    }
    HostedEditor other;
    LoadDocument(*other, p);
    EXPECT_EQ(other->Text().rfind("new", 0), 0u);
}

// Open failures and the text limit

TEST_F(DocumentIoTest, MissingFileGivesTheOpenErrorWithThePathAndKeepsTheContent) {
    SetText(kSample);
    const std::string p = Path("ない.txt");
    EXPECT_EQ(Outcome([&] { LoadDocument(*editor_, p); }), OpenError(p));
    EXPECT_EQ(editor_->Text(), kSample);
    // A relative path is named as passed.
    EXPECT_EQ(Outcome([&] { LoadDocument(*editor_, "no\\such.txt"); }), OpenError("no\\such.txt"));
}

TEST_F(DocumentIoTest, FileHeldByAnotherProgramGivesTheOpenError) {
    const std::string p = Path("held.txt");
    ASSERT_TRUE(WriteFileBytes(p, "held"));
    SetText(kSample);
    HeldByAnotherProcess holder(p);
    ASSERT_TRUE(holder.Held());
    EXPECT_EQ(Outcome([&] { LoadDocument(*editor_, p); }), OpenError(p));
    EXPECT_EQ(editor_->Text(), kSample);
    holder.Release();
    LoadDocument(*editor_, p);
    EXPECT_EQ(editor_->Text(), "held");
}

TEST_F(DocumentIoTest, TextLimitIsRaisedByASuccessfulLoadOnly) {
    const auto limit = [&] { return ::SendMessageA(editor_->Handle(), EM_GETLIMITTEXT, 0, 0); };
    const LRESULT initial = limit();
    ASSERT_LT(initial, TRichEdit::kUnlimitedText);
    EXPECT_NE(Outcome([&] { LoadDocument(*editor_, Path("missing.txt")); }), "no error");
    EXPECT_EQ(limit(), initial);
    LoadedText("short");
    EXPECT_EQ(limit(), TRichEdit::kUnlimitedText);
    editor_->Lines.ClearAll();
    EXPECT_EQ(limit(), TRichEdit::kUnlimitedText);
}

// A read that fails part-way. The "file" is a named pipe: a second thread writes the first
// part of a document into it and then disconnects, so the reads after that part fail.
TEST_F(DocumentIoTest, ReadFailingPartWayIsAnErrorAndKeepsTheContent) {
    for (const bool rich : {false, true}) {
        SCOPED_TRACE(rich ? "rich text" : "plain text");
        std::string part = rich ? "{\\rtf1\\ansi " : "";
        for (int i = 0; i < 1000; ++i) part += "line " + std::to_string(i) + (rich ? "\\par\n" : "\r\n");
        static int sequence = 0;
        const std::string name = "\\\\.\\pipe\\dodir_stream_" + std::to_string(::GetCurrentProcessId()) +
                                 "_" + std::to_string(++sequence);
        win::UniqueFile server(::CreateNamedPipeA(
            name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16, 1 << 16, 0, nullptr));
        ASSERT_TRUE(server);
        std::thread feeder([&] {
            ::ConnectNamedPipe(server.get(), nullptr);
            DWORD written = 0;
            ::WriteFile(server.get(), part.data(), static_cast<DWORD>(part.size()), &written, nullptr);
            ::Sleep(300); // the reader takes the part and waits for more
            ::DisconnectNamedPipe(server.get());
        });

        SetText(kSample);
        ColorRange(kRedStart, 2, RGBColor(255, 0, 0));
        const std::string outcome = Outcome([&] { LoadDocument(*editor_, name); });
        if (outcome.rfind("EFOpenError", 0) == 0) // release the feeder
            win::UniqueFile(::CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        feeder.join();
        EXPECT_EQ(outcome, kReadError);
        EXPECT_EQ(editor_->Text().substr(0, kSample.size()), kSample);
        EXPECT_EQ(editor_->Text().find_first_not_of("\r\n", kSample.size()), std::string::npos);
        EXPECT_EQ(TextColorOf(FormatAt(*editor_, kRedStart)), static_cast<long long>(RGB(255, 0, 0)));
        EXPECT_EQ(TextColorOf(FormatAt(*editor_, 0)), -1);
    }
    ExpectUsable();
}

// A file that opens and has a position but cannot be read: the memory file of the Wine
// process, whose first page is not mapped. A failed read is not the end of the file: the
// rich-text attempt and the plain-text attempt after it both fail, and nothing is loaded.
TEST_F(DocumentIoTest, UnreadableFileIsAReadErrorNotAnEmptyDocument) {
    const std::string p = "Z:\\proc\\self\\mem";
    {
        win::UniqueFile probe(::CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) GTEST_SKIP() << "no " << p;
        char c = 0;
        DWORD got = 0;
        if (::ReadFile(probe.get(), &c, 1, &got, nullptr)) GTEST_SKIP() << p << " can be read here";
    }
    SetText(kSample);
    EXPECT_EQ(Outcome([&] { LoadDocument(*editor_, p); }), kReadError);
    EXPECT_EQ(editor_->Text(), kSample);
    const auto limit = ::SendMessageA(editor_->Handle(), EM_GETLIMITTEXT, 0, 0);
    EXPECT_LT(limit, TRichEdit::kUnlimitedText);
}

// Save failures: each leaves the target byte for byte as it was and no temporary file.

TEST_F(DocumentIoTest, ReadOnlyTargetIsNotReplaced) {
    const std::string p = Path("readonly.rtf");
    const std::string original = "{\\rtf1 the original}";
    ASSERT_TRUE(WriteFileBytes(p, original));
    ASSERT_TRUE(::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_READONLY));
    const auto listing = Listing(folder_.Path());
    SetText(kSample);
    EXPECT_EQ(Outcome([&] { SaveDocument(*editor_, p); }), CreateError(p));
    EXPECT_EQ(ReadFileBytes(p), original);
    EXPECT_NE(::GetFileAttributesA(p.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(Listing(folder_.Path()), listing);
    EXPECT_EQ(editor_->Text(), kSample);
    ExpectUsable();
}

TEST_F(DocumentIoTest, TargetHeldOpenByAnotherProgramIsNotReplaced) {
    const std::string p = Path("held.rtf");
    const std::string original = "{\\rtf1 held by someone else}";
    ASSERT_TRUE(WriteFileBytes(p, original));
    const auto listing = Listing(folder_.Path());
    SetText(kSample);
    {
        HeldByAnotherProcess holder(p);
        ASSERT_TRUE(holder.Held());
        EXPECT_EQ(Outcome([&] { SaveDocument(*editor_, p); }), CreateError(p));
        EXPECT_EQ(Listing(folder_.Path()), listing);
    }
    EXPECT_EQ(ReadFileBytes(p), original);
    EXPECT_EQ(editor_->Text(), kSample);
    ExpectUsable();
}

TEST_F(DocumentIoTest, TargetInAMissingFolderGivesTheCreateError) {
    const std::string p = Path("no-such-folder\\doc.rtf");
    const auto listing = Listing(folder_.Path());
    SetText(kSample);
    EXPECT_EQ(Outcome([&] { SaveDocument(*editor_, p); }), CreateError(p));
    EXPECT_EQ(Listing(folder_.Path()), listing);
    EXPECT_EQ(::GetFileAttributesA(Path("no-such-folder").c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectUsable();
}

TEST_F(DocumentIoTest, TargetThatIsAFolderGivesTheCreateError) {
    const std::string p = Path("a-folder");
    ASSERT_TRUE(::CreateDirectoryA(p.c_str(), nullptr));
    SetText(kSample);
    EXPECT_EQ(Outcome([&] { SaveDocument(*editor_, p); }), CreateError(p));
    EXPECT_EQ(Listing(folder_.Path()), std::vector<std::string>{"a-folder"});
    ::RemoveDirectoryA(p.c_str());
}

// Each platform step refused or failing, as a file system may do it (the seam replaces
// the platform's calls). A step refused for a moment is tried again; a replace that got
// half-way (1176: both files still under their own names, as the platform leaves them when
// given a backup's name; 1177: the target renamed to the backup) is finished by a move;
// a replace refused as unsupported falls back to a rename, a refused temporary file to the
// write in place. A save that succeeds leaves only the target with the new content; one that
// fails leaves the old target, or says where the new content and the old are.
namespace seam {
constexpr int kAlways = 1000;
struct Step {
    const char* what;
    DWORD replaceError = 0;
    int replaceFailures = 1;
    bool holdReplacement = false; // held open for 200 ms by another thread
    bool blockTarget = false;     // a folder at the target's name stops every move there
    DWORD moveError = 0, temporaryError = 0, inPlaceError = 0;
    enum { kSaved, kRefused, kKept } expected = kSaved;
};
const Step* row = nullptr;
int replaceCalls = 0;
std::thread holder;

BOOL Refused(DWORD error) {
    ::SetLastError(error);
    return FALSE;
}
BOOL Replace(const wchar_t* target, const wchar_t* replacement, const wchar_t* backup) {
    if (row->replaceError == 0 || ++replaceCalls > row->replaceFailures)
        return win::TReplacementFile::kPlatformSteps.replace(target, replacement, backup);
    if (row->replaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) ::MoveFileW(target, backup);
    if (row->blockTarget) ::CreateDirectoryW(target, nullptr);
    if (row->holdReplacement) {
        HANDLE held = ::CreateFileW(replacement, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        holder = std::thread([held] {
            ::Sleep(200);
            ::CloseHandle(held);
        });
    }
    return Refused(row->replaceError);
}
BOOL Move(const wchar_t* from, const wchar_t* to) {
    if (row->moveError == 0) return win::TReplacementFile::kPlatformSteps.move(from, to);
    return Refused(row->moveError);
}
HANDLE Create(const wchar_t* path, DWORD disposition) {
    const DWORD error = disposition == CREATE_NEW ? row->temporaryError : row->inPlaceError;
    if (error == 0) return win::TReplacementFile::kPlatformSteps.create(path, disposition);
    ::SetLastError(error);
    return INVALID_HANDLE_VALUE;
}
const win::TReplacementFile::Steps kSteps{&Replace, &Move, &Create};
} // namespace seam

TEST_F(DocumentIoTest, EachStepRefusedEndsInTheNewTargetOrTheOldOne) {
    using seam::Step;
    constexpr DWORD k1176 = ERROR_UNABLE_TO_MOVE_REPLACEMENT, k1177 = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2,
                    kDenied = ERROR_ACCESS_DENIED, kSharing = ERROR_SHARING_VIOLATION;
    constexpr auto kSaved = Step::kSaved, kRefused = Step::kRefused, kKept = Step::kKept;
    // clang-format off
    const Step steps[] = {
        {.what = "1176, the new file held 200 ms", .replaceError = k1176, .holdReplacement = true},
        {.what = "1177", .replaceError = k1177},
        {.what = "1176, the new file held for good", .replaceError = k1176, .moveError = kSharing,
         .expected = kRefused},
        {.what = "1177, the move and the put-back fail", .replaceError = k1177, .blockTarget = true,
         .expected = kKept},
        {.what = "1177, the move refused", .replaceError = k1177, .moveError = kDenied, .expected = kRefused},
        {.what = "sharing violations", .replaceError = kSharing, .replaceFailures = 3},
        {.what = "sharing violations for good", .replaceError = kSharing, .replaceFailures = seam::kAlways,
         .expected = kRefused},
        {.what = "no replace: invalid function", .replaceError = ERROR_INVALID_FUNCTION},
        {.what = "no replace: not supported", .replaceError = ERROR_NOT_SUPPORTED},
        {.what = "no replace: access denied", .replaceError = kDenied, .replaceFailures = seam::kAlways},
        {.what = "no replace, no rename", .replaceError = ERROR_NOT_SUPPORTED, .moveError = kDenied,
         .expected = kRefused},
        {.what = "a replace failing", .replaceError = ERROR_DISK_FULL, .expected = kRefused},
        {.what = "no temporary file", .temporaryError = kDenied, .expected = kSaved},
        {.what = "no temporary file, no write", .temporaryError = kDenied, .inPlaceError = kDenied,
         .expected = kRefused},
        {.what = "a temporary file failing", .temporaryError = ERROR_DISK_FULL, .expected = kRefused},
    };
    // clang-format on
    // The old file is longer than the new one: no part of it may stay behind the new content.
    const std::string p = Path("doc.rtf"), old = "{\\rtf1 " + std::string(600, 'o') + "}";
    const std::string keptPrefix = "保存した内容はファイル ", oldPrefix = "元の内容はファイル ",
                      suffix = " に残っています";
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(WriteFileBytes(p, old));
        SetText("new content");
        seam::row = &step;
        seam::replaceCalls = 0;
        win::TReplacementFile::SetSteps(&seam::kSteps);
        const std::string outcome = Outcome([&] { SaveDocument(*editor_, p); });
        win::TReplacementFile::SetSteps(nullptr);
        if (seam::holder.joinable()) seam::holder.join();
        std::string holder = p;
        if (step.expected == Step::kKept) {
            // The new content's file and the old content's backup, both named and both there.
            const std::string lead = CreateError(p) + "\r\n" + keptPrefix,
                              middle = suffix + "\r\n" + oldPrefix;
            const auto mid = outcome.find(middle);
            ASSERT_EQ(outcome.rfind(lead, 0), 0u) << outcome;
            ASSERT_NE(mid, std::string::npos) << outcome;
            ASSERT_TRUE(outcome.ends_with(suffix)) << outcome;
            holder = outcome.substr(lead.size(), mid - lead.size());
            const auto at = mid + middle.size();
            EXPECT_EQ(ReadFileBytes(outcome.substr(at, outcome.size() - suffix.size() - at)), old);
        } else {
            EXPECT_EQ(outcome, step.expected == Step::kSaved ? "no error" : CreateError(p));
            EXPECT_EQ(Listing(folder_.Path()), std::vector<std::string>{"doc.rtf"});
        }
        if (step.expected == Step::kRefused) {
            EXPECT_EQ(ReadFileBytes(p), old);
        } else {
            HostedEditor other;
            EXPECT_EQ(Outcome([&] { LoadDocument(*other, holder); }), "no error") << holder;
            EXPECT_EQ(other->Text().rfind("new content", 0), 0u);
            EXPECT_EQ(ReadFileBytes(holder).find("oooo"), std::string::npos);
        }
        folder_.Clear();
    }
}

// A target whose path is as long as a path may be (MAX_PATH - 1 bytes) with a short name:
// a temporary name beside it does not fit MAX_PATH, yet the file is saved all the same.
TEST_F(DocumentIoTest, ATargetAtTheLongestPathIsSaved) {
    const std::string name = "a.rtf";
    const auto depth = static_cast<int>(MAX_PATH - 1 - name.size() - folder_.Path().size() - 1);
    ASSERT_GT(depth, 0);
    ASSERT_LT(depth, 256);
    const std::string deep = folder_.Path() + std::string(static_cast<std::size_t>(depth), 'd') + "\\";
    if (!::CreateDirectoryA(deep.c_str(), nullptr)) {
        const std::wstring wide(deep.begin(), deep.end());
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + wide).c_str(), nullptr));
    }
    const std::string p = deep + name;
    ASSERT_EQ(p.size(), static_cast<std::size_t>(MAX_PATH - 1));
    ASSERT_TRUE(WriteFileBytes(p, "{\\rtf1 old}"));
    SetText("new content");
    EXPECT_EQ(Outcome([&] { SaveDocument(*editor_, p); }), "no error");
    EXPECT_EQ(Listing(deep), std::vector<std::string>{name});
    HostedEditor other;
    LoadDocument(*other, p);
    EXPECT_EQ(other->Text().rfind("new content", 0), 0u);
}

// DODIR_FULL_DIR names a folder on a file system with no free space left that holds a
// file "kept.rtf" (scripts/wine-ctest.sh makes one with a small tmpfs).
TEST_F(DocumentIoTest, FullDiskIsAWriteErrorAndKeepsTheOldFile) {
    const std::string unixDir = EnvironmentValue("DODIR_FULL_DIR");
    if (unixDir.empty()) GTEST_SKIP() << "DODIR_FULL_DIR is not set";
    std::string full = "Z:" + unixDir;
    std::replace(full.begin(), full.end(), '/', '\\');
    if (full.back() != '\\') full += '\\';
    const std::string kept = full + "kept.rtf";
    const std::string original = ReadFileBytes(kept);
    ASSERT_NE(original, "<unreadable>") << kept;
    const auto listing = Listing(full);

    // A document larger than any slack the file system might still have.
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "満杯のディスク line " + std::to_string(i) + "\r\n";
    SetText(text);
    EXPECT_EQ(Outcome([&] { SaveDocument(*editor_, kept); }), kWriteError);
    EXPECT_EQ(ReadFileBytes(kept), original);
    EXPECT_EQ(Listing(full), listing);

    const std::string fresh = full + "new.rtf";
    EXPECT_EQ(Outcome([&] { SaveDocument(*editor_, fresh); }), kWriteError);
    EXPECT_EQ(::GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Listing(full), listing);
    EXPECT_EQ(editor_->Text(), text);
    ExpectUsable();
}

// Groups as deep as the control's reader takes load; one deeper is a read error that keeps
// the document, before the reader sees it (it would take the program down).
TEST_F(DocumentIoTest, RichTextNestedDeeperThanTheReaderTakesIsAReadError) {
    const std::string p = Path("deep.rtf");
    const auto nested = [](int levels, const char* group) {
        std::string rtf = "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fnil\\fcharset128 x;}}";
        for (int k = 1; k < levels; ++k) rtf += group;
        return rtf + "deep" + std::string(static_cast<std::size_t>(levels), '}');
    };
    for (const char* group : {"{", "{\\b "}) {
        ASSERT_TRUE(WriteFileBytes(p, nested(TRtfGuard::kMaxDepth, group)));
        EXPECT_EQ(Outcome([&] { LoadDocument(*editor_, p); }), "no error") << group;
        EXPECT_EQ(editor_->Text(), "deep");
        for (const int levels : {TRtfGuard::kMaxDepth + 1, 50, 10000}) {
            SetText(kSample);
            ASSERT_TRUE(WriteFileBytes(p, nested(levels, group)));
            EXPECT_EQ(Outcome([&] { LoadDocument(*editor_, p); }), kReadError) << group << levels;
            EXPECT_EQ(editor_->Text(), kSample);
        }
    }
}
