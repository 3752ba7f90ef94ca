#include <gtest/gtest.h>

#include "transfer/output_port.h"
#include "transfer/pc_name_guard.h"

namespace korvane {
namespace {

TEST(PcNameGuard, NoNameFromAVolumeLeavesTheDirectory) {
    EXPECT_EQ(safe_pc_component("a/b"), "a_b");
    EXPECT_EQ(safe_pc_component("/"), "_");
    EXPECT_EQ(safe_pc_component(std::string("x\0y", 3)), "x_y");
    EXPECT_EQ(safe_pc_component("."), "_");
    EXPECT_EQ(safe_pc_component(".."), "__");
    // No name is hidden: a leading '.' gets a '_' before it.
    EXPECT_EQ(safe_pc_component("../etc"), "_.._etc");
    EXPECT_EQ(safe_pc_component("..."), "_...");
    EXPECT_EQ(safe_pc_component(".txt"), "_.txt");
    EXPECT_EQ(safe_pc_component(""), "");
}

TEST(OutputPorts, Names) {
    EXPECT_EQ(port_from_name("lpt2"), 2);
    EXPECT_EQ(port_from_name("COM4"), 7);
    EXPECT_EQ(port_from_name("FILE"), 0);
    EXPECT_FALSE(port_from_name("COM5").has_value());
    EXPECT_EQ(port_name(5), "COM2");
}

}  // namespace
}  // namespace korvane
