// The print command's work: the editor's lines as plain text on the current printer.
#pragma once

namespace dodir {
class TRichEdit;
}

namespace dodir::printing {

// Prints every line of the editor, in order, in the editor's font at the printer's
// resolution, on one job. A failure ends the job where it stands (the platform drops it)
// and leaves the printer ready for the next print before the error goes on.
void PrintDocument(TRichEdit& editor);

} // namespace dodir::printing
