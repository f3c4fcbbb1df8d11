// The load counter counts loads and unloads and never goes below zero.
#include "entry.h"

#include <gtest/gtest.h>

TEST(LoadCounter, CountsAndNeverGoesNegative) {
  const int32_t base = zunt::library_load_count();
  EXPECT_EQ(zunt::library_attach(), base + 1);
  EXPECT_EQ(zunt::library_attach(), base + 2);
  EXPECT_EQ(zunt::library_detach(), base + 1);
  EXPECT_EQ(zunt::library_detach(), base);
  while (zunt::library_load_count() > 0) zunt::library_detach();
  EXPECT_EQ(zunt::library_detach(), 0);
  EXPECT_EQ(zunt::library_load_count(), 0);
}
