// zunt: the command-line face of the runtime. "zunt showcase" tours every subsystem;
// the other subcommands expose one capability each.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "command.h"

namespace zunt::tool {
namespace {

std::vector<Command>& commands() {
  static std::vector<Command> v;
  return v;
}
std::vector<ShowcaseSection>& sections() {
  static std::vector<ShowcaseSection> v;
  return v;
}

int showcase(int, char**) {
  auto s = sections();
  std::stable_sort(s.begin(), s.end(), [](const auto& a, const auto& b) { return a.order < b.order; });
  std::printf("zunt showcase: a tour of the runtime\n");
  for (const auto& sec : s) {
    std::printf("\n== %s ==\n", sec.title);
    sec.run();
  }
  return 0;
}

int help() {
  std::printf("usage: zunt COMMAND [ARGS...]\n\ncommands:\n");
  auto c = commands();
  std::sort(c.begin(), c.end(), [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
  for (const auto& cmd : c) {
    char head[96];
    std::snprintf(head, sizeof head, "%s %s", cmd.name, cmd.args);
    std::printf("  %-36s %s\n", head, cmd.summary);
  }
  std::printf("  %-36s %s\n", "--help", "this list");
  return 0;
}

const Registrar showcase_cmd(Command{"showcase", "", "a short tour of every subsystem", showcase});

}  // namespace

void add_command(const Command& c) { commands().push_back(c); }
void add_showcase(const ShowcaseSection& s) { sections().push_back(s); }

int usage_error(const char* name, const char* message) {
  std::fprintf(stderr, "zunt %s: %s\n", name, message);
  return 2;
}

void print_hex(const unsigned char* p, unsigned n) {
  for (unsigned i = 0; i < n; ++i) std::printf("%s%02X", i ? " " : "", p[i]);
}

}  // namespace zunt::tool

int main(int argc, char** argv) {
  using namespace zunt::tool;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    return argc < 2 ? (help(), 2) : help();
  }
  for (const auto& c : commands())
    if (std::strcmp(c.name, argv[1]) == 0) return c.run(argc - 1, argv + 1);
  std::fprintf(stderr, "zunt: unknown command '%s' (zunt --help lists them)\n", argv[1]);
  return 2;
}
