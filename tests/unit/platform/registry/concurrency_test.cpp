// Writers in several processes and threads at once must not lose each
// other's changes: every write re-reads the file under the lock.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "platform/registry/registry.h"
#include "unit/platform/registry/test_files.h"

namespace vant::registry {
namespace {

using testing::Ascii;
using testing::TempDir;

// Every write fsyncs, so the thread case writes fewer values to stay quick.
constexpr int kValuesPerProcess = 200;
constexpr int kValuesPerThread = 60;

// Writes count values named "<prefix><n>", one transaction each.
// Returns the number of failed writes.
int WriteValues(const std::string& file, const std::string& prefix, int count) {
  Key key;
  if (Registry(file).CreateKey(Root::ClassesRoot, u"Concurrent", &key) != ERROR_SUCCESS) {
    return count;
  }
  int failures = 0;
  for (int i = 0; i < count; ++i) {
    if (RegSetDword(key, Ascii(prefix + std::to_string(i)), static_cast<uint32_t>(i)) !=
        ERROR_SUCCESS) {
      ++failures;
    }
  }
  return failures;
}

// Lists the values that are missing or wrong.
std::vector<std::string> MissingValues(const std::string& file,
                                       const std::vector<std::string>& prefixes, int count) {
  std::vector<std::string> missing;
  Tree tree;
  if (Registry(file).Read(&tree) != ERROR_SUCCESS) return {"<unreadable>"};
  for (const std::string& prefix : prefixes) {
    for (int i = 0; i < count; ++i) {
      const std::string name = prefix + std::to_string(i);
      const Value* value = tree.FindValue(Root::ClassesRoot, u"Concurrent", Ascii(name));
      if (value == nullptr || value->dword != static_cast<uint32_t>(i)) missing.push_back(name);
    }
  }
  return missing;
}

TEST(ConcurrencyTest, TwoProcessesWritingAtOnceLoseNothing) {
  TempDir dir;
  const std::string file = dir.Host("registry.reg");
  std::vector<pid_t> children;
  for (const char* prefix : {"first", "second"}) {
    (void)std::fflush(nullptr);  // so the child does not print the parent's buffered output again
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) ::_exit(WriteValues(file, prefix, kValuesPerProcess) == 0 ? 0 : 1);
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer reported failed writes";
  }
  EXPECT_EQ(MissingValues(file, {"first", "second"}, kValuesPerProcess),
            std::vector<std::string>{});
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST(ConcurrencyTest, ThreadsWithTheirOwnRegistryObjectsLoseNothing) {
  TempDir dir;
  const std::string file = dir.Host("registry.reg");
  const std::vector<std::string> prefixes = {"a", "b", "c", "d"};
  std::vector<int> failures(prefixes.size());
  std::vector<std::thread> threads;
  for (size_t i = 0; i < prefixes.size(); ++i) {
    threads.emplace_back(
        [&, i] { failures[i] = WriteValues(file, prefixes[i], kValuesPerThread); });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(prefixes.size(), 0));
  EXPECT_EQ(MissingValues(file, prefixes, kValuesPerThread), std::vector<std::string>{});
}

}  // namespace
}  // namespace vant::registry
