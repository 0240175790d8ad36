#include <gtest/gtest.h>

#include "project/buildrunner.h"
#include "project/projecttestsupport.h"
#include "support/testrom.h"

namespace orvex {
namespace {

TEST(BuildRunner, RunsInTheFolderAndKeepsTheOutput) {
    testing::TempFolder folder;
    testing::putFile(folder.path() / "my file.txt", std::string("hello"));
    auto run = runBuild(folder.path(), {"sh -c 'cat \"my file.txt\"; echo; echo done >&2'"});
    ASSERT_TRUE(run.ok()) << run.error().describe();
    EXPECT_EQ(run->output, "hello\ndone\n");
    EXPECT_EQ(run->tail(1), "done");
    EXPECT_EQ(splitCommandLine("lua  build.lua \"a b\" 'c d'"),
              (std::vector<std::string>{"lua", "build.lua", "a b", "c d"}));
}

// Every way a build can go wrong is an error that names the build and quotes the end of what
// it wrote: a failing status, a hang (stopped at the timeout with the output so far), a
// program that does not exist, an empty command.
TEST(BuildRunner, FailuresQuoteTheEndOfTheOutput) {
    testing::TempFolder folder;
    BuildCommand failing{"sh -c 'for i in 1 2 3 4 5; do echo line $i; done; exit 3'"};
    failing.tailLines = 2;
    auto failed = runBuild(folder.path(), failing);
    ASSERT_TRUE(testing::failsWith(failed, ErrorCode::BuildFailed, "failed with exit status 3"));
    EXPECT_NE(failed.error().message.find("line 4\nline 5"), std::string::npos);
    EXPECT_EQ(failed.error().message.find("line 3"), std::string::npos);

    BuildCommand hanging{"sh -c 'echo assembling; exec sleep 30'"};
    hanging.timeout = std::chrono::milliseconds(300);
    auto hung = runBuild(folder.path(), hanging);
    ASSERT_TRUE(testing::failsWith(hung, std::nullopt, "did not finish"));
    EXPECT_NE(hung.error().message.find("assembling"), std::string::npos);

    ASSERT_TRUE(testing::failsWith(runBuild(folder.path(), {"/nonexistent/orvex-build build.lua"}),
                                   std::nullopt, "cannot run /nonexistent/orvex-build"));
    EXPECT_FALSE(runBuild(folder.path(), {"  "}).ok());
    EXPECT_FALSE(runBuild(folder.path() / "no such folder", {"true"}).ok());
}

}  // namespace
}  // namespace orvex
