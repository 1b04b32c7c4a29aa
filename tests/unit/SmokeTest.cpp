#include <gtest/gtest.h>
#include "text/MbString.h"
TEST(Smoke, Atol) { EXPECT_EQ(mirelka::Atol(" 12x"), 12); }
