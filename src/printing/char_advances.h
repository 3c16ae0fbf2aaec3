// Widths of the characters a device has measured, so that a run of characters it measured
// before is measured again by adding up their advances. This holds for a device whose run
// widths are the sums of their characters' advances, with no kerning or shaping between
// characters, as GDI measures a run for TextOut.
#pragma once
#include <limits>
#include <span>
#include <string_view>
#include <vector>

namespace dodir {

class TCharAdvances {
  public:
    // Fills ends as a measurement of run would (the width of the run up to each character's
    // last byte; a double-byte character is a lead byte and the byte after it), from the
    // advances remembered. False, with ends partly filled, when a character of the run was
    // never remembered; a lead byte that ends the run alone is never remembered.
    bool Measure(std::string_view run, std::span<int> ends) const;
    // Remembers the advances a measurement of run shows: each character's is the difference
    // between its end and the end of the character before it.
    void Remember(std::string_view run, std::span<const int> ends);
    // Drops every advance, as when the font or the device changes.
    void Forget() noexcept;

  private:
    static constexpr int kUnknown = std::numeric_limits<int>::min();
    std::vector<int> advances_; // by character code, kUnknown when never measured
};

} // namespace dodir
