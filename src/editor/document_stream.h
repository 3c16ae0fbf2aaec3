// Loading and saving the editor's whole content as a document file.
#pragma once
#include <string>

namespace dodir {

class TRichEdit;

// Replaces the editor's whole content by a file's, read as rich text or else as plain
// text. The content is left as it was when the load fails.
void LoadDocument(TRichEdit& editor, const std::string& path);
// Writes the editor's whole content to a file as rich text; the file is replaced only once
// the new content is complete on the disk.
void SaveDocument(TRichEdit& editor, const std::string& path);

} // namespace dodir
