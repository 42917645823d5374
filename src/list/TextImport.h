#pragma once

class CommandWindow;
class ErrorTrap;

// "Load Websites From Text File": appends every line of the picked text files.
void loadWebsitesFromTextFiles(CommandWindow& window, ErrorTrap& trap);
