// Hostile files for the Open command: random bytes, rich text cut at every structural
// point, nesting, binary counts, odd Unicode escapes, objects, pictures, other encodings,
// NULs (also spelled in rich text), broken double-byte text, huge lines, control characters.
#pragma once
#include <string>
#include <vector>

namespace dodir::testing {

struct TCorpusFile {
    std::string name;
    std::string bytes;
};

// The files, from a rich-text document the program wrote. A small corpus leaves out the
// files of a megabyte and more, and samples fewer cuts and random files.
std::vector<TCorpusFile> MakeCorpus(const std::string& savedRtf, bool small, unsigned seed = 12);

} // namespace dodir::testing
