#pragma once

#include <QString>

// The caption that message and input boxes without a title of their own show: the product name
// cut at its last blank, again while longer than 40 characters. A name without a blank has
// nothing to cut and is the title itself.
QString appTitleFromProductName(const QString& productName);
