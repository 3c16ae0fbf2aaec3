// The file the document belongs to, and the steps of the New, Open, Save and Exit commands
// that concern it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace dodir {

// Whether the document is tied to the file OpenFileName; stored as 0 and 1.
enum TOpenState : std::int32_t { osNotOpened = 0, osOpened = 1 };

// What the commands need around them: the user to choose files and to answer, and the
// document to be loaded from and saved to a path (each throws when it fails, the document
// then as it was).
class TDocumentHost {
  public:
    virtual ~TDocumentHost() = default;
    // A file to open, or none when the user cancels.
    virtual std::optional<std::string> AskOpenPath() = 0;
    // A file to save to, or none when the user cancels.
    virtual std::optional<std::string> AskSavePath() = 0;
    virtual bool AskYes(const std::string& question) = 0;
    // A notice the user acknowledges.
    virtual void ShowNotice(const std::string& notice) = 0;
    virtual void Load(const std::string& path) = 0;
    virtual void Save(const std::string& path) = 0;
};

class TDocumentFile {
  public:
    explicit TDocumentFile(TDocumentHost& host) : host_(host) {}

    TOpenState OpenState() const noexcept { return openState_; }
    // The path of the last successful Open.
    const std::string& OpenFileName() const noexcept { return openFileName_; }
    // The path chosen in the save dialog at the last save through it.
    const std::string& SaveFileName() const noexcept { return saveFileName_; }

    // New: the document no longer belongs to a file (the names are kept).
    void Detach() noexcept { openState_ = osNotOpened; }
    // Asks for a file and loads it; false when the user cancelled. Nothing changes when the
    // load fails.
    bool Open();
    // Saves to the opened file, or else to a file asked for.
    void Save();
    // Offers to save before the program ends.
    void OfferSave();

  private:
    bool SaveAs();
    void Overwrite();

    TDocumentHost& host_;
    TOpenState openState_ = osNotOpened;
    std::string openFileName_;
    std::string saveFileName_;
};

} // namespace dodir
