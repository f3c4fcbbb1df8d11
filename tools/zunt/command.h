// Subcommand and showcase registry of the zunt tool. A subsystem's cmd_<name>.cpp registers
// its commands and showcase sections with static Registrar objects; main() dispatches.
#pragma once

#include <cstdio>

namespace zunt::tool {

struct Command {
  const char* name;     // the word after "zunt"
  const char* args;     // argument synopsis for --help, e.g. "NAME"
  const char* summary;  // one line for --help
  int (*run)(int argc, char** argv);  // argv[0] is the command name; returns the exit status
};

struct ShowcaseSection {
  int order;          // sections print in ascending order
  const char* title;  // heading printed above the section
  void (*run)();
};

void add_command(const Command& c);
void add_showcase(const ShowcaseSection& s);

struct Registrar {
  explicit Registrar(const Command& c) { add_command(c); }
  explicit Registrar(const ShowcaseSection& s) { add_showcase(s); }
};

// Prints "zunt NAME: message" on stderr and returns 2, for usage errors.
int usage_error(const char* name, const char* message);

// Prints bytes as space-separated hex pairs.
void print_hex(const unsigned char* p, unsigned n);

}  // namespace zunt::tool
