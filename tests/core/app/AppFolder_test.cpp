// The program folder rule (environment, portable install, XDG data home) on
// given inputs, never the real home, and the folder helpers.
#include "core/app/AppFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempFolder.h"

namespace quillet {
namespace {

using namespace quillet::test;

TEST(AppFolderResolve, FollowsThePlatformOrder) {
  const struct {
    const char* name;
    TAppFolderInputs inputs;  // variable, XDG data home, home, executable folder, has Option/
    const char* expected;
  } cases[] = {
      {"VariableFirst", {"/srv/diary///", "/x", "/home/u", "/opt/q/", true}, "/srv/diary/"},
      {"EmptyVariableIgnored", {"", "", "/home/u", "/opt/q/", false}, "/home/u/.local/share/quillet/"},
      {"PortableInstall", {"", "/x", "/home/u", "/opt/q", true}, "/opt/q/"},
      {"XdgDataHome", {"", "/x/data/", "/home/u", "/opt/q/", false}, "/x/data/quillet/"},
      {"RelativeXdgIgnored", {"", "data", "/home/u/", "/opt/q/", false}, "/home/u/.local/share/quillet/"},
      {"NoHome", {"", "", "", "/opt/q/", false}, "/opt/q/"},
      {"NothingKnown", {"", "", "", "", false}, "./"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveAppFolder(c.inputs), c.expected) << c.name;
  EXPECT_EQ(SettingsFilePath("/q/"), "/q/Option/quillet.ini");
  EXPECT_EQ(WithTrailingSlash("///"), "/");
  const std::string real = AppFolder();
  EXPECT_EQ(WithTrailingSlash(real), real);
  EXPECT_FALSE(LoginName().empty());
}

TEST(AppFolderEnsure, CreatesMissingLevelsPrivatelyKeepsExistingOnes) {
  TTempFolder tmp;
  ::mkdir((tmp / "shared").c_str(), 0755);
  ::chmod((tmp / "shared").c_str(), 0755);
  ASSERT_TRUE(EnsureFolder(tmp / "shared/quillet/Option/"));
  EXPECT_TRUE(EnsureFolder(tmp / "shared/quillet/Option/"));
  EXPECT_EQ(ModeOf(tmp / "shared"), 0755u);
  EXPECT_EQ(ModeOf(tmp / "shared/quillet"), 0700u);
  EXPECT_EQ(ModeOf(tmp / "shared/quillet/Option"), 0700u);
  WriteRaw(tmp / "file", "x");
  EXPECT_FALSE(EnsureFolder(tmp / "file"));
  EXPECT_FALSE(EnsureFolder(tmp / "file/below"));
  EXPECT_FALSE(EnsureFolder(""));
}

}  // namespace
}  // namespace quillet
