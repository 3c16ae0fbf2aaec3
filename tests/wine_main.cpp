// Runs the in-process tests with the program's objects made as its start-up makes them.
#include <gtest/gtest.h>

#include "wine_support.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    dodir::testing::ProgramUnderTest program;
    return RUN_ALL_TESTS();
}
