#pragma once

class CommandWindow;
class ErrorTrap;

// "Start Opening Websites": opens N randomly picked entries, N from the count box.
void openRandomWebsites(CommandWindow& window, ErrorTrap& trap);
