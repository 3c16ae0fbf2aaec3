// Which line numbers the gutter shows, worked out without any platform call.
#pragma once

namespace dodir {

// Line numbers first..last (counted from 1); none when last < first.
struct TGutterNumbers {
    int first;
    int last;
};

// Rows a gutter of clientHeight pixels shows below its first row's top, the last one counted
// when it is only partly shown. Without a row height every pixel counts as a row.
int GutterRowsThatFit(int clientHeight, int firstRowTop, int rowHeight);

// From the editor's first visible line (counted from 0) for as many rows as fit, never past
// one number beyond the lineCount lines the editor counts; none when the first visible
// line lies beyond them.
TGutterNumbers GutterNumbers(int firstVisibleLine, int lineCount, int rowsThatFit);

} // namespace dodir
