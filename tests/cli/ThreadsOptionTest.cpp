// --threads and TANDREL_THREADS: every count gives the same text; a count out
// of range is a usage error on the command line and ignored, with a warning,
// in the environment.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CommandSupport.h"

namespace tandrel::cli::test {

TEST(ThreadsOption, EveryCountGivesTheSameText) {
    morvash::test::TempTree temp;
    MakeSampleTree(temp);
    const std::string tree = temp.path("tree");
    const Result one = Command({"-s", "-t", "--threads=1", tree});
    ASSERT_EQ(one.status, 0);
    struct Case {
        const char* option;
        const char* environment;
        int status;
        const char* warning;
    };
    const Case cases[] = {
        {"--threads=256", nullptr, 0, ""},
        {"--threads=3", "abc", 0, ""},
        {"-s", "2", 0, ""},
        {"-s", "0", 0, "tandrel-cli: warning: TANDREL_THREADS='0' is not a number from 1 to 256"},
        {"-s", "-1", 0, "tandrel-cli: warning: TANDREL_THREADS='-1' is not a number from 1 to"},
        {"--threads=0", nullptr, 2, ""},
        {"--threads=257", nullptr, 2, ""},
    };
    for (const Case& c : cases) {
        if (c.environment != nullptr) {
            ::setenv("TANDREL_THREADS", c.environment, 1);
        }
        const Result result = Command({"-s", "-t", c.option, tree});
        ::unsetenv("TANDREL_THREADS");
        EXPECT_EQ(result.status, c.status) << c.option;
        EXPECT_EQ(result.out, c.status == 0 ? one.out : "") << c.option;
        EXPECT_TRUE(result.err.starts_with(c.warning)) << result.err;
        EXPECT_EQ(result.err.empty(), c.status == 0 && *c.warning == '\0') << result.err;
    }
}

}  // namespace tandrel::cli::test
