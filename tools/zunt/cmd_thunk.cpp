// "zunt thunk" and the thunk's showcase section: loads THUNKA32 (or THUNKB32) the way a
// program on the 16-bit-hosted platform would, connects through the stand-in 16-bit driver
// that lies beside it, and runs a few operations of the table it hands back. The tool does
// not link the thunk libraries: it finds them beside its own lib/ directory or on the
// system's library search.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "command.h"
// The tool links only ZUNT32S, so the thunk's header is reached by its path.
#include <zunt/thunk.h>

namespace zunt::tool {
namespace {

using Connect = decltype(&osncon32);

constexpr std::size_t kTextMax = 256;

// dlopen of lib<name>.so from ../lib beside the running program, else by the usual search.
void* open_thunk(const std::string& so) {
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    exe[n] = '\0';
    std::string path(exe);                     // .../bin/zunt
    path.erase(path.find_last_of('/'));        // .../bin
    const std::size_t up = path.find_last_of('/');
    if (up != std::string::npos) {
      const std::string lib = path.substr(0, up) + "/lib/" + so;
      if (void* h = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
  }
  return dlopen(so.c_str(), RTLD_NOW | RTLD_LOCAL);
}

// Loads the library with the platform chosen for it (the library reads the platform at
// load), restoring the caller's setting afterwards.
void* load(const std::string& so, bool hosted) {
  const char* old = std::getenv("ZUNT_PLATFORM");
  const std::string saved = old != nullptr ? old : "";
  if (hosted)
    setenv("ZUNT_PLATFORM", "win32s", 1);
  else
    unsetenv("ZUNT_PLATFORM");
  void* h = open_thunk(so);
  if (old != nullptr)
    setenv("ZUNT_PLATFORM", saved.c_str(), 1);
  else
    unsetenv("ZUNT_PLATFORM");
  return h;
}

Connect connect_of(void* h) { return h != nullptr ? reinterpret_cast<Connect>(dlsym(h, "osncon32")) : nullptr; }

int32_t connect(Connect c, uintptr_t* result, uintptr_t* conn, uintptr_t* largest) {
  uintptr_t substrate[6] = {};
  substrate[5] = reinterpret_cast<uintptr_t>("KORVEX");
  uintptr_t id = 0;
  return c(nullptr, nullptr, nullptr, 0, substrate, 0, result, conn, largest, &id, nullptr, 1);
}

// The tour: returns 0 when every step gave the expected code.
int run(char which, const char* text) {
  const std::string so = std::string("libthunk") + which + "32.so";
  int failures = 0;

  void* nt = load(so, false);
  if (nt == nullptr) {
    std::printf("%s not found (%s)\n", so.c_str(), dlerror());
    return 1;
  }
  uintptr_t result[3] = {};
  uintptr_t conn[OSN_THUNK_CONNECTION_WORDS] = {};
  uintptr_t largest = 0;
  int32_t rc = connect(connect_of(nt), result, conn, &largest);
  std::printf("NT-like platform: osncon32 -> %d (no thunk)\n", rc);
  failures += rc != OSN_THUNK_NO_THUNK;
  dlclose(nt);

  void* lib = load(so, true);
  Connect c = connect_of(lib);
  if (c == nullptr) {
    std::printf("%s not found on the hosted platform\n", so.c_str());
    return 1;
  }
  rc = connect(c, result, conn, &largest);
  std::printf("hosted platform: osncon32 -> %d", rc);
  if (rc != 0) {
    std::printf(" (is the stand-in driver libthunk%c16.so beside %s?)\n", which, so.c_str());
    dlclose(lib);
    return 1;
  }
  const auto* table = reinterpret_cast<const osn_thunk_table*>(result[0]);
  std::printf(", driver \"%s\", largest transfer %lu\n", reinterpret_cast<const char*>(conn[2]),
              static_cast<unsigned long>(largest));

  char back[kTextMax] = {};
  const size_t len = std::strlen(text) < sizeof back - 1 ? std::strlen(text) : sizeof back - 1;
  const int32_t sent = table->send(conn, 0, const_cast<char*>(text), len);
  const int32_t received = table->receive(conn, 0, back, sizeof back - 1);
  std::printf("  send \"%.*s\" -> %d, receive -> %d \"%s\"\n", static_cast<int>(len), text, sent, received, back);
  failures += sent != 0 || received != 0 || std::strncmp(back, text, len) != 0;
  const int32_t brk = table->brk(conn, 0);
  const int32_t broken = table->test(conn, 0);
  const int32_t reset = table->reset(conn, 0);
  const int32_t healthy = table->test(conn, 0);
  std::printf("  break -> %d, test -> %d, reset -> %d, test -> %d\n", brk, broken, reset, healthy);
  failures += brk != 0 || broken != 3111 || reset != 0 || healthy != 0;
  const uintptr_t served = conn[1];
  const int32_t disc = table->disconnect(conn, 0);
  const int32_t after = table->test(conn, 0);
  std::printf("  disconnect -> %d after %lu requests; test afterwards -> %d (not connected)\n", disc,
              static_cast<unsigned long>(served + 1), after);
  failures += disc != 0 || after != OSN_THUNK_NOT_CONNECTED;
  dlclose(lib);
  return failures == 0 ? 0 : 1;
}

int cmd(int argc, char** argv) {
  char which = 'a';
  const char* text = "hello through the thunk";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-b") == 0)
      which = 'b';
    else if (std::strcmp(argv[i], "-a") == 0)
      which = 'a';
    else if (argv[i][0] == '-')
      return usage_error("thunk", "usage: zunt thunk [-a|-b] [TEXT]");
    else
      text = argv[i];
  }
  return run(which, text);
}

void showcase() { (void)run('a', "hello through the thunk"); }

const Registrar command_reg(Command{"thunk", "[-a|-b] [TEXT]",
                                    "connect through THUNKA32 (or THUNKB32) and its stand-in 16-bit driver", cmd});
const Registrar showcase_reg(ShowcaseSection{95, "Win32s thunk (THUNKA32 and a stand-in 16-bit driver)", showcase});

}  // namespace
}  // namespace zunt::tool
