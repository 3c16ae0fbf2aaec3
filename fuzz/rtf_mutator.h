// Inputs for the rich-text reader: seed documents, and mutations of them aimed at what a
// rich-text reader keeps count of (groups, words, numbers, names, tables, pictures, binary
// runs, Unicode escapes and their fallbacks). Input number k of a run depends on the run's
// seed, k and the seeds alone, so a run repeats exactly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace dodir::fuzz {

// No input grows beyond this.
constexpr std::size_t kMaxInput = 256 * 1024;

struct TSeed {
    std::string name;
    std::string bytes;
};

// Rich-text documents written by hand, one for each thing a reader has to take apart: a table,
// pictures, fields, Unicode escapes, fonts and colours, paragraph numbering, a style sheet,
// binary runs, an object.
std::vector<TSeed> HandWrittenSeeds();

// Whether bytes start as rich text does.
bool IsRichText(const std::string& bytes);

class TMutator {
  public:
    // The bases of the mutations: the seeds that are rich text (none may be empty).
    explicit TMutator(const std::vector<TSeed>& seeds);

    // The input number k of a run, a base with one to several mutations stacked on it.
    // what: the mutations, in order, for the record.
    std::string Make(std::uint64_t runSeed, std::uint64_t k, std::string* what = nullptr) const;

  private:
    using TRandom = std::mt19937_64;
    void MutateOnce(TRandom& random, std::string& s, std::string& what) const;
    std::vector<std::string> bases_;
};

} // namespace dodir::fuzz
