// Runs the fuzz target over every file of the folders (or files) named on
// the command line, so the seed corpus is a regression test with any
// compiler. Exits non-zero when a folder is empty or unreadable.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 1;
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (!std::filesystem::is_directory(arg)) {
      if (RunFile(arg) != 0) return 1;
      ++runs;
      continue;
    }
    for (const auto& entry : std::filesystem::directory_iterator(arg)) {
      if (RunFile(entry.path()) != 0) return 1;
      ++runs;
    }
  }
  std::printf("%d inputs ran\n", runs);
  return runs == 0 ? 1 : 0;
}
