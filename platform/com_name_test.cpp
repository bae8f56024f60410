#include "platform/com_name.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace lumora::platform {
namespace {

TEST(ComName, EnvironmentOverridesTheDefaultDevice) {
    ::unsetenv("LUMORA_COM3");
    EXPECT_EQ(com_port_device(3), "/dev/ttyS2");
    EXPECT_EQ(com_port_device(1), std::getenv("LUMORA_COM1") ? std::getenv("LUMORA_COM1") : "/dev/ttyS0");
    ::setenv("LUMORA_COM3", "/tmp/vconsole-link", 1);
    EXPECT_EQ(com_port_device(3), "/tmp/vconsole-link");
    ::setenv("LUMORA_COM3", "", 1);  // empty counts as unset
    EXPECT_EQ(com_port_device(3), "/dev/ttyS2");
    ::unsetenv("LUMORA_COM3");
    EXPECT_EQ(com_port_device(256), "/dev/ttyS255");
    EXPECT_EQ(com_port_device(0), "");
}

TEST(ComName, ParsesPortNamesWithOrWithoutColon) {
    ::unsetenv("LUMORA_COM2");
    EXPECT_EQ(com_name_device("COM2"), "/dev/ttyS1");
    EXPECT_EQ(com_name_device("com2:"), "/dev/ttyS1");
    EXPECT_EQ(com_name_device("COM12"), "/dev/ttyS11");
    EXPECT_FALSE(com_name_device("COM"));
    EXPECT_FALSE(com_name_device("COM0"));
    EXPECT_FALSE(com_name_device("COMx"));
    EXPECT_FALSE(com_name_device("LPT1"));
    EXPECT_FALSE(com_name_device("COM99999999999"));
}

}  // namespace
}  // namespace lumora::platform
