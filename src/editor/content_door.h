// TContentDoor: an editor's whole content in and out, streamed through EM_STREAMIN and
// EM_STREAMOUT. What is read goes into an empty twin of the editor's window, which takes the
// window's place only once the reading succeeded; a long text is emptied the same way, its
// window replaced by an empty twin.
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <utility>

#include "base/content_stream.h"
#include "base/win/handles.h"
#include "base/win/window.h"
#include "editor/control_window.h"

namespace dodir {

class TContentDoor {
  public:
    // The largest text limit the control takes; set by a successful read.
    static constexpr int kUnlimitedText = 0x7FFFFFF0;
    // Subclasses `fresh` in place of the editor's window, and hands that one back.
    using TWindowSwap = std::function<win::UniqueWindow(HWND fresh)>;

    // The door of `editor`, whose windows are made with `setup`; both outlive the door.
    TContentDoor(const win::TSubclassedControl& editor, const TEditorWindowSetup& setup, TWindowSwap swap)
        : editor_(editor), setup_(setup), swap_(std::move(swap)) {}

    // The content read from a source takes the place of the editor's, rich text first and
    // plain text second; a source that is taken also lifts the text limit to kUnlimitedText.
    // False when neither is taken: the editor's content stays untouched.
    bool ReplaceContent(TContentSource& source);
    // The content written as rich text.
    bool WriteContent(TContentSink& sink);
    // Empties the editor: a short text in place, a long one with its window.
    void Empty();

  private:
    // Text longer than this many of the control's positions is emptied by replacing the window.
    static constexpr int kLongText = 16384;

    HWND Window() const noexcept { return editor_.Handle(); }
    // An empty, hidden control window with the editor's place, styles, format and text limit,
    // to be filled and then put in place, or dropped.
    win::UniqueWindow EmptyTwinWindow();
    // Whether a content of `size` bytes (0: not known) goes into the twin with its vertical
    // scroll bar shown before the stream: one that surely overflows the window.
    bool TakesBarFirst(HWND twin, std::size_t size) const;
    // After a read with the bar shown first: the bar hidden again when the text fits. Unsure
    // when the text might have fitted at the full width although it does not at the narrow.
    enum class TBarFirstOutcome { Same, Unsure };
    TBarFirstOutcome SettleBarFirst(HWND twin) const;
    // Puts a twin in place of the editor's window, which is destroyed; the focus and the
    // form follow.
    void PutInPlace(win::UniqueWindow twin);

    const win::TSubclassedControl& editor_;
    const TEditorWindowSetup& setup_;
    TWindowSwap swap_;
};

} // namespace dodir
