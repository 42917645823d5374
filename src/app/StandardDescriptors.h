#pragma once

// Opens descriptors 0, 1 and 2 on /dev/null where the caller left them closed, so that no file
// the program opens later takes their place (and gets its warnings written into it).
void openClosedStandardDescriptors();
