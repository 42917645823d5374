#pragma once

// Tells Qt how assistive technology sees the window: the window as a window (a plain widget
// would be an unnamed "filler" to a screen reader), the website list as AccessibleWebsiteList
// describes it, and the progress bar as one that can be read but not set. Installing again
// changes nothing.
void installAccessibleInterfaces();
