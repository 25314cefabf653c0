#include <gtest/gtest.h>

#include "LittleEndian.h"

namespace {

TEST(LittleEndian, AssemblesBytesLeastSignificantFirst)
{
    const unsigned char bytes[] = {0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(DecodeLe16(bytes), 0x5678);
    EXPECT_EQ(DecodeLe32(bytes), 0x12345678U);
    EXPECT_EQ(DecodeLe16(bytes + 4), 0xFFFF);
    EXPECT_EQ(DecodeLe32(bytes + 4), 0xFFFFFFFFU);
}

}  // namespace
