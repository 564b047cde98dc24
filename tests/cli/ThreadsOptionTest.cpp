// --threads and TANDREL_THREADS: every count gives the same text; a count out
// of range is a usage error on the command line and ignored, with a warning,
// in the environment.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CommandSupport.h"

namespace tandrel::cli::test {

TEST(ThreadsOption, EveryCountGivesTheSameText) {
    morvash::test::TempTree temp;
    MakeSampleTree(temp);
    const std::string tree = temp.path("tree");
    const Result one = Command({"-s", "-t", "--threads=1", tree});
    EXPECT_EQ(Command({"-s", "-t", "--threads=3", tree}).out, one.out);
    for (const char* count : {"1", "2", "256"}) {
        ::setenv("TANDREL_THREADS", count, 1);
        const Result result = Command({"-s", "-t", tree});
        EXPECT_EQ(result.out + result.err, one.out) << count;
    }
    ::setenv("TANDREL_THREADS", "0", 1);
    const Result zero = Command({"-s", "-t", tree});
    ::unsetenv("TANDREL_THREADS");
    EXPECT_EQ(zero.out, one.out);
    EXPECT_EQ(zero.err,
              "tandrel-cli: warning: TANDREL_THREADS='0' is not a number from 1 to 256; ignored\n");
    EXPECT_EQ(Command({"--threads=257", tree}).status, 2);
}

}  // namespace tandrel::cli::test
