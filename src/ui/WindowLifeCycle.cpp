#include "ui/WindowLifeCycle.h"

bool WindowLifeCycle::finishLoading() {
    const bool closeWaited = stage_ == Stage::loadingCloseRequested;
    if (closeWaited || stage_ == Stage::loading)
        stage_ = Stage::open;
    return closeWaited;
}

WindowLifeCycle::CloseRequest WindowLifeCycle::requestClose() {
    switch (stage_) {
    case Stage::loading:
    case Stage::loadingCloseRequested:
        stage_ = Stage::loadingCloseRequested;
        return CloseRequest::waitForLoad;
    case Stage::open:
        stage_ = Stage::closing;
        return CloseRequest::save;
    case Stage::closing:
    case Stage::closingWithoutDisplay:
        break;
    }
    return CloseRequest::closing;
}

bool WindowLifeCycle::displayLost() {
    if (stage_ != Stage::open)
        return false;
    stage_ = Stage::closingWithoutDisplay;
    return true;
}
