#pragma once

#include "TestPlatform.h"
#include "list/WebsiteList.h"
#include "ui/Form1.h"

#include <memory>

// A real main window on fake desktop services and real temporary settings, with the list it
// shows owned here as main() owns it. Store settings and place program-folder files first,
// then load().
class WindowUnderTest {
public:
    TestPlatform env;
    WebsiteList websites;

    Form1& load() {
        window_ = std::make_unique<Form1>(env.platform(), websites);
        window_->Form_Load();
        return *window_;
    }
    Form1& window() { return *window_; }

private:
    std::unique_ptr<Form1> window_;
};
