#pragma once

#include <QString>

#include <optional>

// Texts and figures as an analyst types them in a table of their own (an inventory, a layer's
// attributes), compared and read leniently.

// A text as names are compared: accents, case, surrounding and repeated blanks ignored ("  Quantità_T"
// and "quantita_t" are the same).
[[nodiscard]] QString folded(const QString &text);

// A figure as written in a cell: decimal comma or point ("12,5", "12.5"), no thousands separators;
// none when the text is no finite number.
[[nodiscard]] std::optional<double> figureOf(const QString &text);
