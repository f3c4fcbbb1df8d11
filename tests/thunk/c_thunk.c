/* The thunk's public header from C99, and a program linked to THUNKA32 as a caller would
 * link it. "c_thunk nt" expects the NT-like platform (no thunk); "c_thunk hosted" runs with
 * ZUNT_PLATFORM=win32s and connects, sends, receives and disconnects through the stand-in
 * driver. Returns non-zero on the first failed check. */
#include <stdio.h>
#include <string.h>
#include <zunt/thunk.h>

#define CHECK(c)                                          \
  do {                                                    \
    if (!(c)) {                                           \
      fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #c); \
      return 1;                                           \
    }                                                     \
  } while (0)

int main(int argc, char** argv) {
  uintptr_t substrate[6] = {0};
  uintptr_t result[3] = {0};
  uintptr_t conn[OSN_THUNK_CONNECTION_WORDS] = {0};
  uintptr_t out1 = 7, out2 = 7;
  const osn_thunk_table* table;
  char msg[] = "from C";
  char back[16] = {0};
  int32_t rc;

  substrate[5] = (uintptr_t) "KORVEX";
  rc = osncon32(NULL, NULL, NULL, 0, substrate, 0, result, conn, &out1, &out2, NULL, 1);
  if (argc > 1 && strcmp(argv[1], "nt") == 0) {
    CHECK(rc == OSN_THUNK_NO_THUNK);
    CHECK(result[0] == 0 && out1 == 7);
    return 0;
  }
  CHECK(rc == OSN_THUNK_OK);
  table = (const osn_thunk_table*)result[0];
  CHECK(table != NULL);
  CHECK(result[1] == 0x100 && result[2] == 0x200);
  CHECK(table->send(conn, 0, msg, sizeof msg) == 0);
  CHECK(table->receive(conn, 0, back, sizeof back) == 0);
  CHECK(strcmp(back, "from C") == 0);
  CHECK(conn[1] == 3);
  CHECK(table->disconnect(conn, 0) == 0);
  CHECK(table->test(conn, 0) == OSN_THUNK_NOT_CONNECTED);
  return 0;
}
