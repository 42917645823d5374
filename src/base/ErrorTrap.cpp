#include "base/ErrorTrap.h"

void ErrorTrap::report(const QString& description, int number) {
    dialogs_.errorReport(ErrorReport(description, procedure_, number));
}
