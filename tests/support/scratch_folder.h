#pragma once
// A folder of a test's own for the files it writes: named after the test suite and the process,
// so that two test runs (two build folders, two worktrees) never share one; made empty in
// SetUp and removed in TearDown.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace quelmar::test_support {

inline std::filesystem::path make_scratch_folder() {
    const std::filesystem::path dir =
        std::filesystem::path(testing::TempDir()) /
        (std::string(testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
         "." + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void remove_scratch_folder(const std::filesystem::path& dir) {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace quelmar::test_support
