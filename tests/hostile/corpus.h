// Hostile files for the Open command: random bytes, rich text cut at every structural
// point, nesting, binary counts, odd Unicode escapes, objects, pictures, other encodings,
// NULs (also spelled in rich text), broken double-byte text, huge lines, control characters.
#pragma once
#include <cstddef>
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

// s, n times over.
inline std::string Repeat(const std::string& s, std::size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t k = 0; k < n; ++k) out += s;
    return out;
}

} // namespace dodir::testing
