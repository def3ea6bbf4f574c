#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class DrivePaths;

// Why the configuration file could not be read or written. The windows show message(); nothing
// here shows anything.
struct ConfigurationError
{
    enum class Kind {
        Unreadable,  // missing file or folder, no read permission
        TooShort,    // fewer than eight lines
        Unwritable,  // missing folder, no write permission, full disk
        NotStorable  // a field holds a character the file cannot carry (line break, outside Latin-1)
    };

    Kind kind = Kind::Unreadable;
    QString detail;  // why reading or writing failed (Italian), or the offending text
    QString localPath; // where the file is on this machine (read and write failures)
    int lineCount = 0; // TooShort: the lines found
    int field = 0;     // NotStorable: the N of TextN

    // One Italian message for a message box, naming the file as the system names it.
    [[nodiscard]] QString message() const;
};

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

    // The first field (as TextN) whose text cannot be written to the file unchanged, if any.
    [[nodiscard]] std::optional<ConfigurationError> unstorableField() const;

    bool operator==(const Configuration &other) const = default;

private:
    std::array<QString, kEntryCount> m_entries{};
};

// Reading and writing the file at its fixed place.
struct ConfigurationLoad
{
    std::optional<Configuration> configuration; // empty on failure
    ConfigurationError error;                   // meaningful when configuration is empty
};

[[nodiscard]] ConfigurationLoad loadConfigurationFile(const DrivePaths &drives);
// Replaces the file (an existing file is kept as it was when the write fails).
[[nodiscard]] std::optional<ConfigurationError> saveConfigurationFile(const DrivePaths &drives,
                                                                      const Configuration &configuration);
