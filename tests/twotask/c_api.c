/* The transport's public header from plain C99: the record layout and a version query. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include <zunt/mirelink.h>

#define CHECK(cond)                                  \
  do {                                               \
    if (!(cond)) {                                   \
      fprintf(stderr, "failed: %s\n", #cond);        \
      return 1;                                      \
    }                                                \
  } while (0)

int main(void) {
  osn_ops* ops = NULL;
  osn_context* ctx = NULL;
  uint32_t max = 0;
  CHECK(offsetof(osn_context, state) == 0);
  CHECK(offsetof(osn_context, platform) == 4);
  CHECK(offsetof(osn_context, peer_platform) == 6);
  CHECK(offsetof(osn_context, instance) == 8);
  CHECK(offsetof(osn_context, buffer_size) == 20);
  CHECK(sizeof(osn_ops) == 14 * sizeof(void*));
  CHECK(offsetof(osn_context, ops) == offsetof(osn_context, os_error_ref) + sizeof(void*));
  CHECK(sizeof(((osn_context*)0)->own_title) == 32);
  CHECK(sizeof(void*) != 4 || sizeof(osn_context) == 208);
  CHECK(osn2tt("", 0, 0, OSN_FLAG_VERSION, &ops, &ctx, &max, NULL, 0, 0) == OSN_VERSION_ANSWER);
  CHECK(strcmp((const char*)ctx, "1.0.0.0") == 0);
  CHECK(osnfts(NULL, 0) == OSN_E_MISSING);
  CHECK(osnfds(NULL, 0) == OSN_E_MISSING);
  CHECK(osnash(NULL) == OSN_E_MISSING);
  return 0;
}
