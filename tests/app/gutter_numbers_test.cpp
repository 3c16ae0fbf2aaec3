#include "app/gutter_numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

using namespace dodir;

TEST(GutterRowsThatFit, APartlyShownLastRowCounts) {
    EXPECT_EQ(GutterRowsThatFit(365, 1, 15), 25); // 364 / 15 = 24.3
    EXPECT_EQ(GutterRowsThatFit(361, 1, 15), 24); // exactly 24 rows
    EXPECT_EQ(GutterRowsThatFit(365, 0, 0), 365);
    EXPECT_EQ(GutterRowsThatFit(0, 3, 15), 0);
}

TEST(GutterNumbers, FromTheFirstVisibleLineForTheRowsThatFitNeverPastOneBeyondTheCount) {
    auto numbers = [](int f, int n, int rows) {
        const auto g = GutterNumbers(f, n, rows);
        return std::make_pair(g.first, g.last);
    };
    EXPECT_EQ(numbers(0, 0, 25), std::make_pair(1, 1));     // empty document: "1"
    EXPECT_EQ(numbers(0, 2, 25), std::make_pair(1, 3));     // the number past the counted lines
    EXPECT_EQ(numbers(10, 80, 25), std::make_pair(11, 35)); // scrolled: as many as fit
    EXPECT_EQ(numbers(10, 80, 0), std::make_pair(11, 11));  // always at least one number
    const auto beyond = GutterNumbers(5, 3, 25);            // first visible line past the count
    EXPECT_LT(beyond.last, beyond.first);
    EXPECT_EQ(numbers(INT_MAX - 1, INT_MAX - 1, 25), std::make_pair(INT_MAX, INT_MAX));
}
