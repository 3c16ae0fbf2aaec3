// The file the document belongs to, and the steps of the New, Open, Save and Exit commands
// that concern it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace dodir {
class TRichEdit;
class TOpenDialog;
class TSaveDialog;
} // namespace dodir

namespace dodir::document {

// Whether the document is tied to the file OpenFileName; stored as 0 and 1.
enum TOpenState : std::int32_t { osNotOpened = 0, osOpened = 1 };

// How the commands talk to the user: a yes-or-no question, and a notice to acknowledge.
struct TConversation {
    std::function<bool(const std::string& question)> askYes;
    std::function<void(const std::string& notice)> tell;
};

class TDocumentFile {
  public:
    TDocumentFile(TRichEdit& editor, TOpenDialog& openDialog, TSaveDialog& saveDialog, TConversation talk)
        : editor_(editor), openDialog_(openDialog), saveDialog_(saveDialog), talk_(std::move(talk)) {}

    TOpenState OpenState() const noexcept { return openState_; }
    // The path of the last successful Open.
    const std::string& OpenFileName() const noexcept { return openFileName_; }
    // The path chosen in the save dialog at the last save through it.
    const std::string& SaveFileName() const noexcept { return saveFileName_; }

    // New: the document no longer belongs to a file (the names are kept).
    void Detach() noexcept { openState_ = osNotOpened; }
    // Asks for a file and loads it into the editor; false when the dialog was cancelled.
    // Nothing changes when the load fails.
    bool Open();
    // Saves to the opened file, or else to a file asked for.
    void Save();
    // Offers to save before the program ends.
    void OfferSave();

  private:
    bool SaveAs();
    void Overwrite();

    TRichEdit& editor_;
    TOpenDialog& openDialog_;
    TSaveDialog& saveDialog_;
    TConversation talk_;
    TOpenState openState_ = osNotOpened;
    std::string openFileName_;
    std::string saveFileName_;
};

} // namespace dodir::document
