// The profile section "Velmor" over the process environment.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <string>

#include "profile.h"

namespace {

using namespace zunt::platform;

TEST(Profile, LookupByKeyIgnoringCase) {
  setenv("ZT_PROFILE_Key", "value one", 1);
  setenv("ZT_PROFILE_EXACT", "upper", 1);
  setenv("zt_profile_exact", "lower", 1);
  char out[256];
  EXPECT_EQ(profile_get("ZT_PROFILE_Key", out, sizeof out), 9u);
  EXPECT_STREQ(out, "value one");
  EXPECT_EQ(profile_get("zt_profile_key", out, sizeof out), 9u);
  EXPECT_EQ(profile_get("zt_profile_exact", out, sizeof out), 5u);  // an exact match wins
  EXPECT_STREQ(out, "lower");
  EXPECT_EQ(profile_get("ZT_PROFILE_E", out, sizeof out), 0u);  // no prefix matches
  EXPECT_STREQ(out, "");
  EXPECT_EQ(profile_get("ZT_PROFILE_Key=value", out, sizeof out), 0u);
  EXPECT_EQ(profile_get("", out, sizeof out), 0u);
  EXPECT_EQ(profile_get("ZT_PROFILE_Key", out, 6), 5u);  // cut to the buffer
  EXPECT_STREQ(out, "value");
  setenv("ZT_PROFILE_EMPTY", "", 1);
  EXPECT_EQ(profile_get("ZT_PROFILE_EMPTY", out, sizeof out), 0u);
  for (const char* n : {"ZT_PROFILE_Key", "ZT_PROFILE_EXACT", "zt_profile_exact", "ZT_PROFILE_EMPTY"}) unsetenv(n);
}

TEST(Profile, SetVariables) {
  EXPECT_EQ(env_set("ZT_PROFILE_SET", "a=b"), 0);
  EXPECT_STREQ(getenv("ZT_PROFILE_SET"), "a=b");
  EXPECT_EQ(env_set("ZT_PROFILE_SET", ""), 0);
  EXPECT_STREQ(getenv("ZT_PROFILE_SET"), "");
  EXPECT_EQ(env_set("BAD=NAME", "x"), EINVAL);
  EXPECT_EQ(env_set("", "x"), EINVAL);
  EXPECT_EQ(env_set("ZT_X", nullptr), EINVAL);
  unsetenv("ZT_PROFILE_SET");
}

}  // namespace
