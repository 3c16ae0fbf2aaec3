// TRichEditStrings: an editor's line view, its display rows as lines (a paragraph that wraps
// is several); it stores nothing itself.
#pragma once
#include <windows.h>

#include <string>

#include "base/win/window.h"
#include "editor/content_door.h"

namespace dodir {

class TRichEditStrings {
  public:
    // The lines of `editor`, emptied through its `door`; both outlive the view.
    TRichEditStrings(const win::TSubclassedControl& editor, TContentDoor& door)
        : editor_(editor), door_(door) {}

    int LineCount();
    std::string LineAt(int index);
    void AddLine(const std::string& line);
    void ClearAll();
    // Every line followed by CR LF.
    std::string JoinedText();

  private:
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(editor_.Handle(), msg, wParam, lParam);
    }

    const win::TSubclassedControl& editor_;
    TContentDoor& door_;
};

} // namespace dodir
