#pragma once

// Tells Qt how assistive technology sees the window: the window as a window (a plain widget
// would be an unnamed "filler" to a screen reader) and the website list as AccessibleWebsiteList
// describes it. Installing again changes nothing.
void installAccessibleInterfaces();
