// The steps of New, Open, Save and Exit, against a host that answers as each row says and
// writes down what it was asked and told.
#include "document/document_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"

using namespace dodir;

namespace {

// How the user answers, and whether loading and saving fail.
struct Answers {
    std::optional<std::string> openPath{}, savePath{};
    bool yes = false;
    bool fail = false;
};

class ScriptedHost : public TDocumentHost {
  public:
    Answers answers;
    std::vector<std::string> log;

    std::optional<std::string> AskOpenPath() override { return Note("open?", answers.openPath); }
    std::optional<std::string> AskSavePath() override { return Note("save as?", answers.savePath); }
    bool AskYes(const std::string& question) override { return Note("ask " + question, answers.yes); }
    void ShowNotice(const std::string& notice) override { log.push_back("tell " + notice); }
    void Load(const std::string& path) override { Step("load " + path); }
    void Save(const std::string& path) override { Step("save " + path); }

  private:
    template <class T> T Note(const std::string& what, T answer) {
        log.push_back(what);
        return answer;
    }
    void Step(const std::string& what) {
        log.push_back(what);
        if (answers.fail) throw dodir::EFCreateError("failed");
    }
};

enum class Command { New, Open, Save, Exit };

struct Row {
    const char* rule = "";
    // The document came from "old.txt" and was saved as "earlier.rtf" before; false: New
    // untied it since.
    bool opened = false;
    Command command = Command::New;
    Answers answers{};
    std::vector<std::string> log{};
    const char* outcome = "done"; // "cancelled": Open gave false; "error": it threw
    TOpenState state = osNotOpened;
    std::string openName = "old.txt", saveName = "earlier.rtf";
};

const char* RunCommand(TDocumentFile& document, Command command) try {
    if (command == Command::New) document.Detach();
    if (command == Command::Open && !document.Open()) return "cancelled";
    if (command == Command::Save) document.Save();
    if (command == Command::Exit) document.OfferSave();
    return "done";
} catch (const dodir::EFCreateError&) {
    return "error";
}

} // namespace

TEST(DocumentFile, EachStepAsksTellsLoadsAndSavesAsItsRuleSays) {
    using enum Command;
    const std::string kSave = "ask ファイルを保存しますか？", kOverwrite = "ask ファイルを上書き？",
                      kOverwritten = "tell 上書きしました。";
    // clang-format off
    const Row rows[] = {
        {.rule = "New unties, the names kept", .opened = true, .command = New},
        {.rule = "Open cancelled", .command = Open, .log = {"open?"}, .outcome = "cancelled"},
        {.rule = "Open failing to load", .command = Open, .answers = {.openPath = "new.txt", .fail = true},
         .log = {"open?", "load new.txt"}, .outcome = "error"},
        {.rule = "Open", .command = Open, .answers = {.openPath = "new.txt"}, .log = {"open?", "load new.txt"},
         .state = osOpened, .openName = "new.txt"},
        {.rule = "Save untied, cancelled", .command = Save, .log = {"save as?"}},
        {.rule = "Save untied", .command = Save, .answers = {.savePath = "new.rtf"},
         .log = {"save as?", "save new.rtf"}, .saveName = "new.rtf"},
        {.rule = "Save opened", .opened = true, .command = Save, .log = {"save old.txt", kOverwritten},
         .state = osOpened},
        {.rule = "Save untied failing", .command = Save, .answers = {.savePath = "new.rtf", .fail = true},
         .log = {"save as?", "save new.rtf"}, .outcome = "error", .saveName = "new.rtf"},
        {.rule = "Save opened failing", .opened = true, .command = Save, .answers = {.fail = true},
         .log = {"save old.txt"}, .outcome = "error", .state = osOpened},
        {.rule = "Exit untied, no", .command = Exit, .log = {kSave}},
        {.rule = "Exit untied, yes", .command = Exit, .answers = {.savePath = "new.rtf", .yes = true},
         .log = {kSave, "save as?", "save new.rtf"}, .saveName = "new.rtf"},
        {.rule = "Exit opened, no", .opened = true, .command = Exit, .log = {kOverwrite}, .state = osOpened},
        {.rule = "Exit opened, yes", .opened = true, .command = Exit, .answers = {.yes = true},
         .log = {kOverwrite, "save old.txt", kOverwritten}, .state = osOpened},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rule);
        ScriptedHost host;
        TDocumentFile document(host);
        host.answers = {.openPath = "old.txt", .savePath = "earlier.rtf"};
        document.Save();
        document.Open();
        if (!row.opened) document.Detach();
        host.answers = row.answers;
        host.log.clear();
        EXPECT_EQ(RunCommand(document, row.command), std::string(row.outcome));
        EXPECT_EQ(host.log, row.log);
        EXPECT_EQ(document.OpenState(), row.state);
        EXPECT_EQ(document.OpenFileName(), row.openName);
        EXPECT_EQ(document.SaveFileName(), row.saveName);
    }
}
