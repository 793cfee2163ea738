#include "platform/stale_temp_files.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "temp_dir.h"

namespace {

// The id of a process that has ended (and been reaped), as a killed save's would be.
pid_t EndedProcessId() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

}  // namespace

TEST(RemoveStaleTempFilesTest, RemovesOnlyTheTemporariesOfThisFileWhoseProcessEnded) {
  lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("Route 7.sor", std::string_view("trace"));
  const std::string dead = std::to_string(EndedProcessId());
  const std::string alive = std::to_string(::getpid());
  const std::set<std::string> stale{"Route 7.sor." + dead + ".0.tmp", "Route 7.sor." + dead + ".12.tmp"};
  const std::set<std::string> kept{
      "Route 7.sor",
      "Route 7.sor." + alive + ".3.tmp",    // a save in progress
      "Other.sor." + dead + ".0.tmp",       // another file's
      "Route 7.sor." + dead + ".tmp",       // not the pattern: no counter
      "Route 7.sor.x" + dead + ".1.tmp",    // not a process id
      "Route 7.sor." + dead + ".1.tmp.bak",  // not a temporary
  };
  for (const auto& name : stale) dir.WriteFile(name, std::string_view("half"));
  for (const auto& name : kept) {
    if (name != "Route 7.sor") dir.WriteFile(name, std::string_view("x"));
  }

  EXPECT_EQ(RemoveStaleTempFiles(path), static_cast<int>(stale.size()));
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) left.insert(entry.path().filename().string());
  EXPECT_EQ(left, kept);
  EXPECT_EQ(RemoveStaleTempFiles(dir.Path("no such folder/x.sor")), 0);
}
