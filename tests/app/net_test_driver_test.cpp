// The scripted online run's output is read by machines: what other people
// wrote (aliases, the server's error text) must not forge a line of it.
#include <gtest/gtest.h>

#include "app/net_test_driver.h"

TEST(NetTestDriver, ForeignTextCannotStartALineOfItsOwn) {
    EXPECT_EQ(printableText("HOSTY"), "HOSTY");
    EXPECT_EQ(printableText("X\nCHECK 300 deadbeef\r\nDONE tick=1"), "X?CHECK 300 deadbeef??DONE tick=1");
    EXPECT_EQ(printableText(std::string("a\0b\tc\x7f", 6)), "a?b?c?");
    EXPECT_EQ(printableText("\xc3\xa9t\xc3\xa9"), "\xc3\xa9t\xc3\xa9"); // UTF-8 passes as it is
}
