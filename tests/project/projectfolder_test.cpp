#include <gtest/gtest.h>

#include "project/projectfolder.h"
#include "project/projecttestsupport.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::putFile;

// A folder is a project with a listing, or with a build script beside an assembly source;
// anything else is refused saying what is missing.
TEST(ProjectFolder, ListingOrBuildScriptBesideSource) {
    testing::TempFolder folder;
    const auto& root = folder.path();
    ASSERT_TRUE(testing::failsWith(openProjectFolder(root), ErrorCode::NotAProject,
                                   "holds no s2.lst, and no build.lua beside an .asm "
                                   "source (it has neither)"));

    putFile(root / "build.lua", std::string("-- build"));
    ASSERT_TRUE(testing::failsWith(openProjectFolder(root), std::nullopt,
                                   "it has build.lua but no .asm file"));

    putFile(root / "game.asm", std::string("; game"));
    auto project = openProjectFolder(root);
    ASSERT_TRUE(project.ok()) << project.error().describe();
    EXPECT_EQ(project->mainSource, root / "game.asm");
    EXPECT_EQ(project->image, root / "s2built.bin");
    EXPECT_EQ(defaultBuildCommand(*project), "lua build.lua");
    EXPECT_EQ(project->file("level/layout/EHZ_1.kos"), root / "level/layout/EHZ_1.kos");

    testing::TempFolder listed;
    putFile(listed.path() / "s2.lst", std::string(""));
    putFile(listed.path() / "s2.asm", std::string(""));
    putFile(listed.path() / "s2.macros.asm", std::string(""));
    auto fromListing = openProjectFolder(listed.path());
    ASSERT_TRUE(fromListing.ok());
    EXPECT_EQ(fromListing->mainSource, listed.path() / "s2.asm");
    EXPECT_FALSE(defaultBuildCommand(*fromListing).has_value());

    ASSERT_TRUE(testing::failsWith(openProjectFolder(root / "game.asm"), ErrorCode::FileOpen));
}

}  // namespace
}  // namespace orvex
