// The fault tests' program. With --writer PATH SEED it is instead one of the
// writers the crash test starts and kills. What the tests measured is
// appended to the file named by $ZOLT_FAULTS_TALLY, when set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/faults/harness.h"

int main(int argc, char** argv) {
    using namespace zolt::faults;
    install();
    if (argc == 4 && std::string(argv[1]) == "--writer")
        return write_until_killed(argv[2], static_cast<unsigned>(std::stoul(argv[3])));
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    if (const char* file = std::getenv("ZOLT_FAULTS_TALLY"))
        std::ofstream(file, std::ios::app) << tally.injected << ' ' << tally.answered << ' ' << tally.crashes << ' '
                                           << tally.integrity_failures << ' ' << tally.half_written << '\n';
    return status;
}
