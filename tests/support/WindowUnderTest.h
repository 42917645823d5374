#pragma once

#include "TestPlatform.h"
#include "ui/Form1.h"

#include <memory>

// A real main window on fake desktop services and real temporary settings. Store settings and
// place program-folder files first, then load().
class WindowUnderTest {
public:
    TestPlatform env;

    Form1& load() {
        window_ = std::make_unique<Form1>(env.platform());
        window_->Form_Load();
        return *window_;
    }
    Form1& window() { return *window_; }

private:
    std::unique_ptr<Form1> window_;
};
