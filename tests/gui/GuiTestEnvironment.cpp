// One QApplication for every test of this program, on the offscreen platform, with a private
// home so nothing Qt or fontconfig writes reaches the real one.
#include "support/TestFolders.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<testsupport::IsolatedHome>();
        home_->environment().Set("XDG_CACHE_HOME", home_->home() + ".cache");
        if (!std::getenv("QT_QPA_PLATFORM"))
            home_->environment().Set("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }

    void TearDown() override {
        app_.reset();
        home_.reset();
    }

private:
    int argc_ = 1;
    char name_[16] = "tolm_gui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<testsupport::IsolatedHome> home_;
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
