// Every name of each library's export list resolves with dlsym after dlopen, and loading
// and unloading the library works.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> read_names(const std::filesystem::path& p) {
  std::vector<std::string> names;
  std::ifstream in(p);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

}  // namespace

TEST(Exports, EveryListedNameResolves) {
  const std::filesystem::path bin = ZUNT_BINARY_DIR;
  int libs = 0;
  for (const char* lib : {"zunt32s", "mirelink", "thunka32", "thunkb32"}) {
    auto list = bin / "exports" / (std::string(lib) + ".txt");
    auto so = bin / "lib" / ("lib" + std::string(lib) + ".so");
    if (!std::filesystem::exists(list) || !std::filesystem::exists(so)) continue;
    ++libs;
    void* h = dlopen(so.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(h, nullptr) << dlerror();
    for (const auto& name : read_names(list)) EXPECT_NE(dlsym(h, name.c_str()), nullptr) << lib << ": " << name;
    EXPECT_EQ(dlclose(h), 0);
  }
  EXPECT_GE(libs, 1);
}
