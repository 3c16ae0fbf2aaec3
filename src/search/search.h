// Finding and replacing text in the editor, forward and with exact letter case.
#pragma once
#include <string>

namespace dodir {

class TRichEdit;

// Looks for `text` after a non-empty selection, or else from the start of the document,
// to its end. A match gets the focus and the selection, scrolled into view; without one
// nothing changes and the answer is false.
bool FindNextIn(TRichEdit& editor, const std::string& text);

// Replaces the first occurrence of `text` in the whole document by `replacement`, not
// recorded for undo; false when there is none.
bool ReplaceFirst(TRichEdit& editor, const std::string& text, const std::string& replacement);

// The message of a search that found nothing.
std::string NotFoundMessage(const std::string& text);

} // namespace dodir
