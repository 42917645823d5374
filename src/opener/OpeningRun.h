#pragma once

class CommandWindow;
class ErrorTrap;

// "Start Opening Websites": opens N randomly picked entries, N from the count box. Yields to the
// window once per pick, and stops when the window closes during a yield.
void openRandomWebsites(CommandWindow& window, ErrorTrap& trap);
