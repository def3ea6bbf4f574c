#include "platform/Configuration.h"

#include "platform/DrivePaths.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// Field number (the N of TextN) of each file entry, in file order.
constexpr std::array<int, Configuration::kEntryCount> kFieldOfEntry{1, 2, 3, 4, 6, 7, 5, 8};

bool validPosition(int position)
{
    return position >= 1 && position <= Configuration::kEntryCount;
}

bool wrappedInQuotes(const QString &text)
{
    return text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'));
}

// Why the file at `localPath` could not be read or written, in the user's words; the file layer's
// own report when no plainer reason is found.
QString fileProblem(const QString &localPath, const QString &fileLayerError)
{
    const QFileInfo file(localPath);
    if (!file.dir().exists())
        return QStringLiteral("Percorso non trovato: la cartella non esiste.");
    if (file.isDir())
        return QStringLiteral("Al posto del file c'è una cartella.");
    if (!file.exists())
        return QStringLiteral("File non trovato.");
    return fileLayerError;
}

} // namespace

QString Configuration::filePath()
{
    return QStringLiteral("c:\\revisione metodo speditivo\\ms&zefro\\config.txt");
}

int Configuration::fieldOfEntry(int entry)
{
    return validPosition(entry) ? kFieldOfEntry[std::size_t(entry - 1)] : 0;
}

int Configuration::entryOfField(int field)
{
    for (int entry = 1; entry <= kEntryCount; ++entry) {
        if (fieldOfEntry(entry) == field)
            return entry;
    }
    return 0;
}

Configuration Configuration::initial()
{
    Configuration configuration;
    configuration.setField(1, QStringLiteral("C:\\Programmi\\Adobe\\Acrobat 5.0\\Reader\\AcroRd32.exe"));
    configuration.setField(2, QStringLiteral("c:\\zefro\\ms_hlp.pdf"));
    configuration.setField(3, QStringLiteral("c:\\zefro\\ms_hlp2.pdf"));
    configuration.setField(4, QStringLiteral("c:\\zefro\\ms_hlp3.pdf"));
    configuration.setField(5, QStringLiteral("c:\\zefro\\ms_hlp6.pdf"));
    configuration.setField(6, QStringLiteral("c:\\zefro\\ms_hlp4.pdf"));
    configuration.setField(7, QStringLiteral("c:\\zefro\\ms_hlp4.pdf"));
    configuration.setField(8, QStringLiteral("c:\\zefro\\revisione metodo speditivo"));
    return configuration;
}

QString Configuration::entry(int entry) const
{
    return validPosition(entry) ? m_entries[std::size_t(entry - 1)] : QString();
}

void Configuration::setEntry(int entry, const QString &text)
{
    if (validPosition(entry))
        m_entries[std::size_t(entry - 1)] = text;
}

QString Configuration::field(int field) const
{
    return entry(entryOfField(field));
}

void Configuration::setField(int field, const QString &text)
{
    setEntry(entryOfField(field), text);
}

QStringList Configuration::toLines() const
{
    QStringList lines;
    for (const QString &text : m_entries)
        lines << lineFromEntry(text);
    return lines;
}

std::optional<Configuration> Configuration::fromLines(const QStringList &lines)
{
    if (lines.size() < kEntryCount)
        return std::nullopt;
    Configuration configuration;
    for (int entry = 1; entry <= kEntryCount; ++entry)
        configuration.setEntry(entry, entryFromLine(lines.at(entry - 1)));
    return configuration;
}

QString Configuration::entryFromLine(const QString &line)
{
    return wrappedInQuotes(line) ? line.mid(1, line.size() - 2) : line;
}

QString Configuration::lineFromEntry(const QString &entry)
{
    // An entry that itself begins and ends with a double quote gets one more pair, which the
    // reader takes off again: the file then reads back exactly as written.
    return wrappedInQuotes(entry) ? QLatin1Char('"') + entry + QLatin1Char('"') : entry;
}

std::optional<int> Configuration::unstorableField() const
{
    for (int field = 1; field <= kEntryCount; ++field) {
        const QString text = this->field(field);
        const bool storable = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
            return c.unicode() <= 0xFF && c != QLatin1Char('\n') && c != QLatin1Char('\r');
        });
        if (!storable)
            return field;
    }
    return std::nullopt;
}

Outcome<Configuration> loadConfigurationFile(const DrivePaths &drives)
{
    const QString localPath = drives.toLocal(Configuration::filePath());
    const Outcome<QStringList> read = TextFile::readLines(localPath);
    if (!read.ok()) {
        Error error{Error::Kind::ConfigurationUnreadable};
        error.detail = fileProblem(localPath, read.error().message());
        error.localPath = localPath;
        return error;
    }
    std::optional<Configuration> configuration = Configuration::fromLines(read.value());
    if (!configuration) {
        Error error{Error::Kind::ConfigurationTooShort};
        error.detail = QString::number(read.value().size());
        error.localPath = localPath;
        return error;
    }
    return *configuration;
}

Status saveConfigurationFile(const DrivePaths &drives, const Configuration &configuration)
{
    if (const std::optional<int> field = configuration.unstorableField()) {
        Error error{Error::Kind::ConfigurationNotStorable};
        error.detail = configuration.field(*field);
        return error;
    }
    const QString localPath = drives.toLocal(Configuration::filePath());
    const Status written = TextFile::writeLines(localPath, configuration.toLines());
    if (!written.ok()) {
        Error error{Error::Kind::ConfigurationUnwritable};
        error.detail = fileProblem(localPath, written.error().message());
        error.localPath = localPath;
        return error;
    }
    return Done{};
}
