#pragma once

#include <QString>

// The usage instructions that the tutorial window shows, lines separated by CR LF as the text box
// has always received them.
[[nodiscard]] QString tutorialUsageText();
