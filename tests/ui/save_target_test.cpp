#include "ui/save_target.h"

#include <gtest/gtest.h>

namespace quelmar::ui {
namespace {

TEST(SaveTarget, TheFileTypeNamesTheExtension) {
    EXPECT_EQ(file_type_extension("SC1 State Machine Files (*.dat)"), "dat");
    EXPECT_EQ(file_type_extension("SC2 State Machine Files (*.asm *.ASM)"), "asm");
    EXPECT_EQ(file_type_extension("All Files (*.*)"), "");
    EXPECT_EQ(file_type_extension("All Files (*)"), "");
    EXPECT_EQ(file_type_extension("CSV Files"), "");
    EXPECT_EQ(file_type_extension(""), "");
    EXPECT_EQ(file_type_extension(")("), "");
}

TEST(SaveTarget, OnlyANameWithoutExtensionIsCompleted) {
    const std::string dat = "SC1 State Machine Files (*.dat)";
    EXPECT_EQ(save_target("/tmp/run", dat, "asm"), "/tmp/run.dat");
    EXPECT_EQ(save_target("/tmp/run.asm", dat, "asm"), "/tmp/run.asm");  // typed: kept
    EXPECT_EQ(save_target("/tmp/run.DAT", "CSV Files (*.csv)", "csv"), "/tmp/run.DAT");
    EXPECT_EQ(save_target("/tmp/run", "All Files (*.*)", "asm"), "/tmp/run.asm");
    EXPECT_EQ(save_target("/tmp/run.", dat, "asm"), "/tmp/run.dat");
    // A dot in a folder name is not the file's extension.
    EXPECT_EQ(save_target("/tmp/v1.2/run", "", "csv"), "/tmp/v1.2/run.csv");
    EXPECT_EQ(save_target("/tmp/dir/", dat, "asm"), "/tmp/dir/");
    EXPECT_EQ(save_target("run", "", ""), "run");
}

}  // namespace
}  // namespace quelmar::ui
