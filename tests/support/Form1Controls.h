#pragma once

#include "ui/Form1.h"
#include "ui/ProgressBar.h"
#include "ui/WebsiteListView.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

// The window's controls by what they do, so that tests and benchmarks read as a user sees the
// window. The window itself names them as its skin and handlers address them; this is the one
// place that maps one naming onto the other.

inline WebsiteListView* websiteListView(Form1& window) {
    return window.ListView1;
}
// The frame that asks how many websites to open; it holds the count box.
inline QGroupBox* countFrame(Form1& window) {
    return window.Frame2;
}
inline QLineEdit* countBox(Form1& window) {
    return window.Text1;
}
inline ProgressBar* progressBar(Form1& window) {
    return window.ProgressBar1;
}

inline QPushButton* addButton(Form1& window) {
    return window.PushButton1;
}
inline QPushButton* deleteSelectedButton(Form1& window) {
    return window.PushButton9;
}
inline QPushButton* loadDefaultListButton(Form1& window) {
    return window.PushButton4;
}
inline QPushButton* clearAllButton(Form1& window) {
    return window.PushButton6;
}
inline QPushButton* loadTextFilesButton(Form1& window) {
    return window.PushButton10;
}
inline QPushButton* saveTextFileButton(Form1& window) {
    return window.PushButton5;
}
inline QPushButton* startButton(Form1& window) {
    return window.PushButton2;
}
