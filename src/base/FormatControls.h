#pragma once

#include <QString>

// The text with each invisible control that changes how the text around it is shown (the
// bidirectional overrides, embeddings, isolates and marks, the zero-width space) replaced by its
// name, such as "<U+202E>". An entry holding a right-to-left override would otherwise be shown
// reversed, while the text that gets opened is the other one.
QString withFormatControlsVisible(const QString& text);
