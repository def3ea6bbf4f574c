#pragma once

#include <QString>

// Writes one help document: an HTML page (the subset QTextDocument lays out) set on A4 pages with
// the page number at the foot, as a PDF file. Returns an empty string, or what went wrong.
[[nodiscard]] QString writePdfDocument(const QString &path, const QString &title, const QString &html);
