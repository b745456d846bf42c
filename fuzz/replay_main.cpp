// Replays a fuzz corpus: every file of the folders (or the files) named on the
// command line goes through the fuzz target once. Used as an ordinary test, so
// each input the fuzzer ever kept stays checked in every build.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {
int runFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Like the fuzzer, never hand over a null pointer, even for an empty input.
  static const std::uint8_t kEmpty = 0;
  const auto* data = bytes.empty() ? &kEmpty : reinterpret_cast<const std::uint8_t*>(bytes.data());
  LLVMFuzzerTestOneInput(data, bytes.size());
  return 1;
}
}  // namespace

int main(int argc, char** argv) {
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& e : std::filesystem::recursive_directory_iterator(arg))
        if (e.is_regular_file()) files += runFile(e.path());
    } else {
      files += runFile(arg);
    }
  }
  std::printf("replayed %d inputs\n", files);
  return files > 0 ? 0 : 1;  // an empty corpus is a mistake
}
