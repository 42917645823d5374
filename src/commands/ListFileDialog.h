#pragma once

#include <QString>
#include <cstdint>

// What the import and the export set on the shared file dialog before showing it.

// Read-only box ticked (0x1), multiple selection (0x200), the explorer style (0x80000) and long
// names (0x200000). No overwrite question and no must-exist rules: the Qt dialogs get those
// from the adapter.
inline constexpr std::uint32_t listFileDialogFlags = 0x280201;

inline QString listFileFilter() {
    return QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
}
