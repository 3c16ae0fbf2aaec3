// Loading and saving a document's whole content as a file.
#pragma once
#include <string>

#include "base/content_stream.h"

namespace dodir {

// Replaces the content by a file's, read as rich text or else as plain text. The content
// is left as it was when the load fails.
void LoadDocument(TContentHolder& content, const std::string& path);
// Writes the content to a file as rich text; the file is replaced only once the new content
// is complete on the disk.
void SaveDocument(TContentHolder& content, const std::string& path);

} // namespace dodir
