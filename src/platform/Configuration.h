#pragma once

#include "platform/Error.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class DrivePaths;

// The eight entries of the configuration file, in file order: 1 the PDF reader, 2 to 7 the
// documents, 8 the prefix of every output file name. The configuration box shows them in fields
// Text1..Text8, but file positions 5, 6 and 7 live in Text6, Text7 and Text5; the same mapping is
// used both ways, so a file written from the box reads back into the same fields.
//
// One line of the file is one entry, taken whole: blanks and commas inside a path are kept, and
// only a pair of double quotes wrapping the whole line is removed (files written by hand or by
// earlier installations sometimes quote their paths).
class Configuration
{
public:
    static constexpr int kEntryCount = 8;

    // Where the file lives, in the system's own path form (mapped through the drive-path layer).
    [[nodiscard]] static QString filePath();

    // The field number N of TextN that holds file entry `entry` (both 1..8), and back.
    [[nodiscard]] static int fieldOfEntry(int entry);
    [[nodiscard]] static int entryOfField(int field);

    // The values the box's fields hold before any file is read.
    [[nodiscard]] static Configuration initial();

    [[nodiscard]] QString entry(int entry) const;
    void setEntry(int entry, const QString &text);
    [[nodiscard]] QString field(int field) const;
    void setField(int field, const QString &text);
    [[nodiscard]] QString outputPrefix() const { return entry(8); }

    // The file's lines, in file order; reading takes the first eight and ignores the rest.
    [[nodiscard]] QStringList toLines() const;
    [[nodiscard]] static std::optional<Configuration> fromLines(const QStringList &lines);

    // One entry from one line, and the line that reads back as exactly that entry.
    [[nodiscard]] static QString entryFromLine(const QString &line);
    [[nodiscard]] static QString lineFromEntry(const QString &entry);

    // The first field (the N of TextN) whose text cannot be written to the file unchanged, if any.
    [[nodiscard]] std::optional<int> unstorableField() const;

    bool operator==(const Configuration &other) const = default;

private:
    std::array<QString, kEntryCount> m_entries{};
};

// Reading and writing the file at its fixed place. Reading fails with ConfigurationUnreadable or
// ConfigurationTooShort; writing with ConfigurationNotStorable (the text of the first field that
// cannot be stored) or ConfigurationUnwritable, and then leaves an existing file as it was.
[[nodiscard]] Outcome<Configuration> loadConfigurationFile(const DrivePaths &drives);
[[nodiscard]] Status saveConfigurationFile(const DrivePaths &drives, const Configuration &configuration);
