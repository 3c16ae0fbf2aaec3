// Every hostile file through the Open command: the program neither crashes nor hangs, a
// file it cannot read leaves the document as it was, and afterwards it still edits, saves
// and reopens what it saved.
//
// The test command opens the small corpus. scripts/hostile.sh opens the whole one: it sets
// DODIR_HOSTILE_LOG (one line per file: its number, name, size, outcome and time) and
// DODIR_HOSTILE_FROM (the file to start at, after a crash or a hang ended a run).
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/errors.h"
#include "document/document_file.h"
#include "document/document_io.h"
#include "hostile/corpus.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;
using dodir::LoadDocument;
using dodir::SaveDocument;

namespace {

const std::string kPrevious = "前の文書\r\nprevious document";

// Ends the process when the step at hand takes longer than its allowance: 10 s a megabyte
// of the file, 10 s at least.
class Watchdog {
  public:
    explicit Watchdog(std::FILE* log)
        : log_(log), thread_([this] {
              while (!stop_) {
                  const auto due = due_.load();
                  if (due != 0 && ::GetTickCount64() > due) {
                      std::fprintf(log_, "HANG %s\n", name_.c_str());
                      std::fflush(log_);
                      ::TerminateProcess(::GetCurrentProcess(), 3);
                  }
                  ::Sleep(100);
              }
          }) {}
    ~Watchdog() {
        stop_ = true;
        thread_.join();
    }
    void Arm(const std::string& name, std::size_t bytes) {
        name_ = name;
        due_ = ::GetTickCount64() + 10000 * std::max<std::size_t>(1, (bytes + 1048575) / 1048576);
    }
    void Disarm() { due_ = 0; }

  private:
    std::FILE* log_;
    std::string name_;
    std::atomic<ULONGLONG> due_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Opens a file through the Open command and its dialog; gives what happened.
std::string OpenThroughTheCommand(TForm1& form, const std::string& path) {
    BoxWatcher dialog({BoxWatcher::Dialog(BoxWatcher::ChooseFile(path))});
    try {
        return form.Document->Open() ? "loaded" : "cancelled";
    } catch (const EOutOfResources& e) {
        return "read error";
    } catch (const EFOpenError& e) {
        return "open error";
    } catch (const std::exception& e) {
        return std::string("other error: ") + e.what();
    }
}

} // namespace

TEST(HostileFiles, EveryFileOpensOrIsRefusedAndTheProgramGoesOnEditingAndSaving) {
    const char* logPath = std::getenv("DODIR_HOSTILE_LOG");
    const bool full = logPath != nullptr;
    std::FILE* log = full ? std::fopen(logPath, "a") : stdout;
    ASSERT_NE(log, nullptr);
    const int from =
        full && std::getenv("DODIR_HOSTILE_FROM") ? std::atoi(std::getenv("DODIR_HOSTILE_FROM")) : 0;

    ShownForm1 form;
    TRichEdit& editor = *form->RichEdit1;
    TempFolder temp;
    ASSERT_FALSE(temp.Path().empty());
    const std::string saved = temp.Path() + "\\saved.rtf";
    // A document the program wrote: Japanese text, colours, two fonts.
    SetTextAndPump(editor.Handle(), "日本語の文章です。\r\n二行目は赤い字\r\nEnglish too\ttab");
    ::SendMessageA(editor.Handle(), EM_SETSEL, 10, 20);
    form->ComboBox2->SetItemIndex(4); // a text colour
    form->ComboBox2Change();
    SaveDocument(editor, saved);

    std::vector<TCorpusFile> corpus = MakeCorpus(ReadFileBytes(saved), !full);
    ::CreateDirectoryA((temp.Path() + "\\corpus").c_str(), nullptr);
    std::vector<std::string> paths;
    for (const auto& file : corpus) {
        paths.push_back(temp.Path() + "\\corpus\\" + file.name);
        ASSERT_TRUE(WriteFileBytes(paths.back(), file.bytes));
    }
    // A folder, and a file whose path is 259 bytes long.
    corpus.push_back({"folder", ""});
    paths.push_back(temp.Path() + "\\corpus");
    std::string longPath = temp.Path() + "\\";
    longPath += std::string(259 - longPath.size() - 4, 'n') + ".txt";
    corpus.push_back({"path259.txt", "a file at the longest path"});
    paths.push_back(longPath);
    ASSERT_TRUE(WriteFileBytes(longPath, corpus.back().bytes));

    Watchdog watchdog(log);
    for (std::size_t k = static_cast<std::size_t>(from); k < corpus.size(); ++k) {
        const auto& file = corpus[k];
        SCOPED_TRACE(file.name);
        std::fprintf(log, "START %zu %s\n", k, file.name.c_str());
        std::fflush(log);
        // Emptied the way New empties it: Wine's control takes a time growing with the
        // square of a long document's length to empty itself.
        editor.Lines.ClearAll();
        SetTextAndPump(editor.Handle(), kPrevious);
        watchdog.Arm(file.name, file.bytes.size());
        const ULONGLONG start = ::GetTickCount64();
        const std::string outcome = OpenThroughTheCommand(*form.operator->(), paths[k]);
        const ULONGLONG ms = ::GetTickCount64() - start;
        Pump();
        EXPECT_TRUE(outcome == "loaded" || outcome == "read error" || outcome == "open error") << outcome;
        if (outcome != "loaded") {
            EXPECT_EQ(editor.Text(), kPrevious);
        }
        // The document, loaded or kept, still takes a key, is saved and comes back the same;
        // each step has the same allowance.
        watchdog.Arm(file.name + " (typing and saving)", file.bytes.size());
        ::SendMessageA(editor.Handle(), EM_SETSEL, 0, 0);
        TypeText(editor.Handle(), "x");
        const std::string text = editor.Text();
        SaveDocument(editor, saved);
        watchdog.Arm(file.name + " (reopening)", file.bytes.size());
        editor.Lines.ClearAll();
        LoadDocument(editor, saved);
        EXPECT_EQ(editor.Text(), text);
        watchdog.Disarm();
        std::fprintf(log, "DONE %zu %s %zu %s %llu\n", k, file.name.c_str(), file.bytes.size(),
                     outcome.c_str(), static_cast<unsigned long long>(ms));
        std::fflush(log);
    }
    std::fprintf(log, "END\n");
    if (full) std::fclose(log);
}

// Rich text can spell NUL characters, which a saved file would not keep: they are dropped.
TEST(HostileFiles, NulCharactersSpelledInRichTextAreDroppedSoTheDocumentSavesAsItIs) {
    ShownForm1 form;
    TRichEdit& editor = *form->RichEdit1;
    TempFolder temp;
    const std::string p = temp.Path() + "\\spelled.rtf";
    SetTextAndPump(editor.Handle(), "MARK");
    SaveDocument(editor, p);
    std::string rtf = ReadFileBytes(p);
    ASSERT_NE(rtf.find("MARK"), std::string::npos) << rtf;
    rtf.replace(rtf.find("MARK"), 4, "a\\u0?b\\'00c\\u65536?d\\u-3?e");
    ASSERT_TRUE(WriteFileBytes(p, rtf));
    LoadDocument(editor, p);
    const std::string text = editor.Text();
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_EQ(text.substr(0, 4), "abcd") << text;
    EXPECT_EQ(editor.SelectionStart(), 0);
    SaveDocument(editor, p);
    LoadDocument(editor, p);
    EXPECT_EQ(editor.Text(), text);
}
