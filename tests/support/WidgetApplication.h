#pragma once
// The widget application of a test program that shows widgets: made before its first test and
// destroyed after its last. A program registers it (or a subclass that adds its own set-up) once
// with ::testing::AddGlobalTestEnvironment.

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace kfm::test {

class WidgetApplication : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "kfm_widget_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

} // namespace kfm::test
