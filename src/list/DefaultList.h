#pragma once

class CommandWindow;
class ErrorTrap;

// "Load Default List": appends the addresses of websites.mdb beside the program.
void loadDefaultList(CommandWindow& window, ErrorTrap& trap);
