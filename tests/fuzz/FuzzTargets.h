#pragma once

#include <QByteArray>
#include <QString>

// What each fuzz program does with one input, shared by the libFuzzer programs and by the test that
// replays the corpora and the committed crash reproducers. Each returns an empty string when the
// input was handled soundly (read or refused with an error), else what went wrong; memory faults and
// undefined behaviour are the sanitizers' to catch.
namespace fuzz {

// The bytes as an .xls file: opened with the workbook reader, cells read by address on the first
// worksheets and one beyond the count, near and far columns; the formula cache on the raw bytes.
[[nodiscard]] QString workbookInput(const QByteArray &bytes);

// The bytes as the configuration file: read at its place under a drive root; what reads must be
// written back and read again unchanged (or be refused as not storable).
[[nodiscard]] QString configurationInput(const QByteArray &bytes);

// The bytes as a map file: loaded for the map surface with its drawing unit, which must be finite
// and positive; the header's resolution fields on their own.
[[nodiscard]] QString bitmapInput(const QByteArray &bytes);

} // namespace fuzz
