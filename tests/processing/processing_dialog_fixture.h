#pragma once
// What the processing dialog tests share: a fresh folder of their own (named after the test
// suite and the process, so that two test runs never share one) for raw files and saved
// results, removed afterwards; scripted prompts; and waiting for a pass to end.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QString>

#include <filesystem>
#include <fstream>
#include <string>


#include "processing/raw_processing_dialog.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "tests/support/scratch_folder.h"

namespace quelmar::processing {

class ProcessingDialogFixture : public testing::Test {
  protected:
    void SetUp() override {
        test_support::ensure_application();
        dir_ = test_support::make_scratch_folder();
    }
    void TearDown() override {
        test_support::remove_scratch_folder(dir_);
    }
    // Writes `text` as the file `name` in the test's folder; its path.
    QString write(const std::string& name, const std::string& text) {
        const std::filesystem::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return QString::fromStdString(p.string());
    }
    static void wait(RawProcessingDialog& d) {
        ASSERT_TRUE(test_support::wait_until([&] { return !d.busy(); }, 60000));
        QCoreApplication::processEvents();
    }

    ui::ScriptedPrompts prompts;
    std::filesystem::path dir_;
};

}  // namespace quelmar::processing
