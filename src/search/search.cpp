#include "search/search.h"

#include "editor/rich_edit.h"

namespace dodir {

bool FindNextIn(TRichEdit& editor, const std::string& text) {
    // The selection's own positions are used as they stand: a match is found and selected
    // without converting a position, whatever the control counts in.
    const TRichEdit::TSpan selection = editor.SelectionSpan();
    const auto match = editor.FindFrom(text, selection.Empty() ? TControlPos(0) : selection.max);
    if (!match) return false;
    editor.Focus();
    editor.SelectSpan(*match);
    return true;
}

bool ReplaceFirst(TRichEdit& editor, const std::string& text, const std::string& replacement) {
    // Found in the control's own text, so wrapped lines do not shift the range replaced.
    const auto match = editor.FindFrom(text, TControlPos(0));
    if (!match) return false;
    editor.ReplaceSpan(*match, replacement);
    return true;
}

std::string NotFoundMessage(const std::string& text) {
    return "検索領域に\"" + text + "\"は見つかりませんでした。";
}

} // namespace dodir
