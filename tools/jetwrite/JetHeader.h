#pragma once

#include "JetLayout.h"

namespace jet {

// Page 0, the database definition page of a Jet 4 file, with its masked part already masked.
Page databaseDefinition();

} // namespace jet
