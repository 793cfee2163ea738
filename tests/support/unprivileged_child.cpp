#include "unprivileged_child.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace lumivane::test {

namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

bool RanAsUnprivilegedChild() {
  if (::geteuid() != 0) return false;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string filter = std::string(test->test_suite_name()) + "." + test->name();
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command = "setpriv --reuid=nobody --regid=nogroup --clear-groups " + Quoted(self) +
                              " --gtest_filter=" + Quoted(filter) + " 2>&1";
  std::FILE* child = ::popen(command.c_str(), "r");
  if (child == nullptr) {
    ADD_FAILURE() << "cannot start " << command;
    return true;
  }
  std::string output;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, child)) output.append(buffer, got);
  const int status = ::pclose(child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  // A filter that matched nothing would pass without testing anything.
  EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
  return true;
}

}  // namespace lumivane::test
