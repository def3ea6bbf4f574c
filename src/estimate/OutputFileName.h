#pragma once

#include <QDateTime>
#include <QString>

// The name of an output file: prefix + "ZEFRO " + " <kind> " + yyyyMMdd + " ore " + hh_mm + " " +
// substance + extension, with nothing added in between (so "ZEFRO" and the kind word are two blanks
// apart, and a prefix meant as a folder must end with a backslash). The date and time come from the
// clock, not from a locale's date text.
//   kind "run", extension ".doc": the report file; kind "map", extension ".bmp": the saved map.
[[nodiscard]] QString outputFileName(const QString &prefix, const QString &kind, const QDateTime &when,
                                     const QString &substance, const QString &extension);

[[nodiscard]] inline QString reportFileName(const QString &prefix, const QDateTime &when, const QString &substance)
{
    return outputFileName(prefix, QStringLiteral("run"), when, substance, QStringLiteral(".doc"));
}

// The saved map picture and, when no printer is installed, the page saved instead of printing.
[[nodiscard]] inline QString MapFileName(const QString &prefix, const QDateTime &when, const QString &substance)
{
    return outputFileName(prefix, QStringLiteral("map"), when, substance, QStringLiteral(".bmp"));
}
