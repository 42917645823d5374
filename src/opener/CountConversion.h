#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

// Converts the count box's text to the number of websites to open, the way a person writes a
// number in their locale: blanks around it, the locale's decimal and group separators, an
// exponent. A fraction rounds to the nearest whole number, halves to the even one ("2.5" is 2,
// "3.5" is 4). Throws Failure "Type mismatch" for empty text or text that is no number, and
// "Overflow" for a number outside the 32-bit signed range.
std::int32_t convertCount(const QString& text, const QLocale& locale = QLocale());
