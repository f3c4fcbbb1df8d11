// "zunt config NAME": what the configuration lookup answers for a setting, and where the
// answer came from; and the utilities' showcase section (the version banner and a lookup).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "command.h"
#include "zunt/config.h"
#include "zunt/util.h"

namespace zunt::tool {
namespace {

// Where a found value most likely came from: the environment stands for the profile
// section, which is read before the configuration file.
const char* source_of(const char* name) {
  if (std::getenv(name) != nullptr && *std::getenv(name) != '\0') return "the environment";
  const char* file = std::getenv("VLM_CONFIG");
  if (file != nullptr && *file != '\0') return file;
  return "VELMOR.INI (current directory, /etc/velmor or the program's directory)";
}

int config(int argc, char** argv) {
  uint32_t flags = 0;
  const char* name = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--chain") == 0)
      flags |= SLTB_CHAIN;
    else if (std::strcmp(argv[i], "--help") == 0) {
      std::printf(
          "usage: zunt config [--chain] NAME\n"
          "Prints the value the configuration lookup finds for NAME: from the environment\n"
          "(the profile section Velmor), else from the file named by VLM_CONFIG, else from\n"
          "VELMOR.INI in the current directory, /etc/velmor or the program's directory.\n"
          "--chain looks each value up again as a name. Exit status: 0 found, 1 not found,\n"
          "2 failure.\n");
      return 0;
    } else if (name == nullptr)
      name = argv[i];
    else
      return usage_error("config", "expects one NAME (see zunt config --help)");
  }
  if (name == nullptr) return usage_error("config", "expects a NAME (see zunt config --help)");

  char value[SLTB_MAXVALUE + 1];
  sl_oserr rec{};
  auto len = static_cast<uint32_t>(std::strlen(name));
  int32_t n = sltbev(&rec, name, len, value, SLTB_MAXVALUE, flags);
  if (n >= 0) {
    std::printf("%s=%.*s\n", name, n, value);
    std::fprintf(stderr, "zunt config: %s found in %s\n", name, source_of(name));
    return 0;
  }
  if (n == -1) {
    std::printf("%s: not found\n", name);
    return 1;
  }
  const char* why = rec.code == SLTB_TOOLONG ? (len > SLTB_MAXNAME ? "name longer than 31 bytes"
                                                                    : "value longer than 255 bytes")
                                             : "lookup failed (missing argument or a chain that loops)";
  std::fprintf(stderr, "zunt config: %s: %s (error %u)\n", name, why, rec.code);
  return 2;
}

void showcase() {
  char banner[64];
  if (lmfver(banner, sizeof banner) > 0) std::printf("%s\n", banner);
  char value[SLTB_MAXVALUE + 1];
  sl_oserr rec{};
  int32_t n = sltbev(&rec, "NLS_LANG", 8, value, SLTB_MAXVALUE, 0);
  if (n >= 0)
    std::printf("configuration: NLS_LANG=%.*s\n", n, value);
  else
    std::printf("configuration: NLS_LANG is not set (environment, VLM_CONFIG or VELMOR.INI)\n");
  char hex[9] = {};
  lmf42h(hex, 0xC0FFEEu, 8);
  char b36[40];
  uint32_t k = lmf42b(b36, 1234567, 36);
  std::printf("integers: 0xC0FFEE as 8 hex digits %s, 1234567 in base 36 %.*s\n", hex, int(k), b36);
}

const Registrar config_cmd(Command{"config", "[--chain] NAME", "show the configuration value of NAME and its source", config});
const Registrar config_showcase(ShowcaseSection{80, "Utilities and configuration", showcase});

}  // namespace
}  // namespace zunt::tool
