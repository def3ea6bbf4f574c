#pragma once

#include <QByteArray>
#include <QString>

// What each fuzz program does with one input, also replayed by the test fuzz_regressions. Each returns an
// empty string when the input was handled soundly (read, or refused with an error), else what went
// wrong; memory faults and undefined behaviour are the sanitizers' to catch.
namespace fuzz {

// The bytes as an .xls file (cells read on the first worksheets and one beyond, near and far columns),
// as the configuration file (what reads is written back and reads the same, or is refused as not
// storable), as a map file (its drawing unit finite and positive), and as a world file (six finite
// numbers with a pixel size, or refused naming the file).
[[nodiscard]] QString workbookInput(const QByteArray &bytes);
[[nodiscard]] QString configurationInput(const QByteArray &bytes);
[[nodiscard]] QString bitmapInput(const QByteArray &bytes);
[[nodiscard]] QString worldfileInput(const QByteArray &bytes);

} // namespace fuzz
