#pragma once

class CommandWindow;
class ErrorTrap;

// "Save Websites To Text File": writes the checked entries as a padded text table.
void saveWebsitesToTextFile(CommandWindow& window, ErrorTrap& trap);
