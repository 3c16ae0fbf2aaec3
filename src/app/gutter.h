// TGutter: the line numbers beside the editor, in a rich edit control of their own, and the
// questions about the editor's rows that the numbers and the caret line's panel ask.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string>

#include "app/gutter_numbers.h"
#include "editor/rich_edit.h"

namespace dodir {

// The editor's display rows (counted from 0), each answered from what the control keeps
// where that gives the control's own answer, and by the control's message otherwise. Wine's
// control answers every message about a row or a position by walking its paragraphs from the
// first, which costs a key press at the end of a long document several milliseconds a question.
class TEditorRows {
  public:
    TEditorRows() = delete;

    // Whether every row has the same height, which lets the first visible row follow from the
    // pixels scrolled.
    static bool RowsShareOneHeight(const TRichEdit& editor);
    // EM_GETLINECOUNT: a count the control keeps.
    static int RowCount(const TRichEdit& editor);
    // The row at the top of the view (EM_GETFIRSTVISIBLELINE).
    static int FirstVisibleRow(const TRichEdit& editor);
    // The caret's row (EM_LINEFROMCHAR of the caret).
    static int CaretRow(const TRichEdit& editor);
    // The editor's lines as its line view counts them: the rows without an empty last one.
    static int LineCount(const TRichEdit& editor);
};

class TGutter {
  public:
    // The control is made with `settings` (its place, font, alignment) in `parent`.
    TGutter(HWND parent, const TRichEditSettings& settings);

    // The control holding the numbers; keys and the font dialog reach it like any control.
    std::unique_ptr<TRichEdit> RichEdit2;

    // Shows the numbers of the editor's rows from the first visible one for as many rows as
    // fit, never past one beyond its last line; nothing is redrawn when they are shown already.
    void Refresh(const TRichEdit& editor);
    // No numbers.
    void Clear();
    // The font of the gutter's selection, and of what is typed there; the next refresh puts the
    // numbers in again.
    void AssignSelectionFont(const TFont& font);

  private:
    // Whether the control still shows what the last refresh put in: same window, unscrolled,
    // not edited nor formatted since.
    bool ShowsLastNumbers() const;
    // The numbers from the row after `first` for the rows that fit, as last measured.
    TGutterNumbers NumbersFrom(int first, const TRichEdit& editor) const;
    void Fill(int firstVisibleRow, const TRichEdit& editor);
    // Adds or drops numbers at the end so that the last one shown is `last`.
    void EndNumbersAt(int last);

    HWND filledWindow_ = nullptr;
    CHARRANGE filledSelection_{};
    TGutterNumbers shown_{1, 0};
    int rowsThatFit_ = 0;
};

} // namespace dodir
