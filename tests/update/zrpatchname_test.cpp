#include "update/zrpatchname.h"

#include <gtest/gtest.h>

#include <string>

namespace pk {
namespace {

TEST(PatchName, BackslashesBecomeSlashes) {
    const PatchName name = CheckPatchName("themes\\classic\\main.klb");
    ASSERT_TRUE(name.ok());
    EXPECT_EQ(name.relative, "themes/classic/main.klb");
    EXPECT_EQ(CheckPatchName("pelkorin").relative, "pelkorin");
    EXPECT_EQ(CheckPatchName("a b/c.d e").relative, "a b/c.d e");
    // Names of the update's own files are fine deeper down.
    EXPECT_TRUE(CheckPatchName("docs/patch.tmp").ok());
    EXPECT_TRUE(CheckPatchName("docs/$$tmp$$/x").ok());
    EXPECT_TRUE(CheckPatchName(std::string(1024, 'a')).ok());
    EXPECT_TRUE(CheckPatchName("caf\xE9.txt").ok());  // Windows-1252 bytes
}

TEST(PatchName, EveryUnsafeFormIsRefused) {
    const struct {
        std::string name;
        PatchNameProblem problem;
    } cases[] = {
        {"", PatchNameProblem::Empty},
        {std::string(1025, 'a'), PatchNameProblem::TooLong},
        {"a\nb", PatchNameProblem::ControlByte},
        {"a\rb", PatchNameProblem::ControlByte},
        {"a\x02"
         "b",
         PatchNameProblem::ControlByte},
        {std::string("a\0b", 3), PatchNameProblem::ControlByte},
        {"a\x7F", PatchNameProblem::ControlByte},
        {"/etc/passwd", PatchNameProblem::Absolute},
        {"\\etc\\passwd", PatchNameProblem::Absolute},
        {"\\\\server\\share\\x", PatchNameProblem::Absolute},
        {"C:\\Windows\\x.dll", PatchNameProblem::DriveOrColon},
        {"c:x", PatchNameProblem::DriveOrColon},
        {"file.txt:stream", PatchNameProblem::DriveOrColon},
        {"themes/", PatchNameProblem::TrailingSeparator},
        {"themes\\", PatchNameProblem::TrailingSeparator},
        {"..", PatchNameProblem::BadComponent},
        {"../x", PatchNameProblem::BadComponent},
        {"a/../../x", PatchNameProblem::BadComponent},
        {"a\\..\\x", PatchNameProblem::BadComponent},
        {"./x", PatchNameProblem::BadComponent},
        {"a//b", PatchNameProblem::BadComponent},
        {"a/./b", PatchNameProblem::BadComponent},
        {".", PatchNameProblem::BadComponent},
        {"$$tmp$$", PatchNameProblem::Reserved},
        {"$$TMP$$\\abcdefgh.tmp", PatchNameProblem::Reserved},
        {"patch.tmp", PatchNameProblem::Reserved},
        {"Upgrade.TMP", PatchNameProblem::Reserved},
    };
    for (const auto& c : cases) {
        const PatchName name = CheckPatchName(c.name);
        EXPECT_EQ(name.problem, c.problem) << c.name;
        EXPECT_TRUE(name.relative.empty()) << c.name;
        EXPECT_FALSE(PatchNameProblemText(name.problem).empty());
    }
}

}  // namespace
}  // namespace pk
