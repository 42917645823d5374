#include "base/ErrorReport.h"

#include <utility>

ErrorReport::ErrorReport(QString description, QString procedure, int statement)
    : description_(std::move(description)), procedure_(std::move(procedure)),
      statement_(statement) {}

QString ErrorReport::text() const {
    return description_ + QStringLiteral("\r\n") + QStringLiteral("in Corvantis2021/08/31.") +
           procedure_ + QStringLiteral(" ") + QStringLiteral("at line ") +
           QString::number(statement_) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(supportAddress);
}
