#include "app/StandardErrorDialogs.h"

#include "base/ErrorReport.h"

#include <cstdio>

void StandardErrorDialogs::notice(const QString& text, const QString& caption) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
}

void StandardErrorDialogs::errorReport(const ErrorReport& report) {
    std::fprintf(stderr, "%s: %s\n", ErrorReport::title, qPrintable(report.text()));
}
