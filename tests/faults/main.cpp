// The fault tests' program. With --writer PATH SEED it is instead one of the
// writers the crash test starts and kills.
#include <gtest/gtest.h>

#include <string>

#include "tests/faults/harness.h"

int main(int argc, char** argv) {
    zolt::faults::install();
    if (argc == 4 && std::string(argv[1]) == "--writer")
        return zolt::faults::write_until_killed(argv[2], static_cast<unsigned>(std::stoul(argv[3])));
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    zolt::faults::write_tally();
    return status;
}
