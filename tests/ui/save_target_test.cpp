#include "ui/save_target.h"

#include <gtest/gtest.h>

namespace quelmar::ui {
namespace {

TEST(SaveTarget, OnlyANameWithoutExtensionIsCompleted) {
    const std::string dat = "SC1 State Machine Files (*.dat)";
    EXPECT_EQ(save_target("/tmp/run", dat, "asm"), "/tmp/run.dat");
    EXPECT_EQ(save_target("/tmp/run.asm", dat, "asm"), "/tmp/run.asm");
    EXPECT_EQ(save_target("/tmp/run", "All Files (*.*)", "asm"), "/tmp/run.asm");
    EXPECT_EQ(save_target("/tmp/v1.2/run", "", "csv"), "/tmp/v1.2/run.csv");  // a folder's dot
    EXPECT_EQ(save_target("/tmp/run.", dat, "asm"), "/tmp/run.dat");
}

}  // namespace
}  // namespace quelmar::ui
