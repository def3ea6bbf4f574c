#include "platform/Configuration.h"

#include "platform/DrivePaths.h"
#include "platform/PlatformErrors.h"
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
// reason when no plainer one is found.
QString fileProblem(const QString &localPath, const QString &reason)
{
    const QFileInfo file(localPath);
    if (!file.dir().exists())
        return QStringLiteral("Percorso non trovato: la cartella non esiste.");
    if (file.isDir())
        return QStringLiteral("Al posto del file c'è una cartella.");
    if (!file.exists())
        return QStringLiteral("File non trovato.");
    return reason.left(1).toUpper() + reason.mid(1) + QLatin1Char('.');
}

// A control character (a NUL, an escape ...) has no place in a path or a program name: an entry
// holding one would send files elsewhere than the text shows. Tabs are kept.
bool isControl(QChar c)
{
    return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F;
}

// The first of the entries' lines (1-based) holding a control character, if any.
std::optional<int> lineWithControlCharacter(const QStringList &lines)
{
    for (int line = 0; line < std::min<int>(int(lines.size()), Configuration::kEntryCount); ++line) {
        if (std::any_of(lines.at(line).cbegin(), lines.at(line).cend(), isControl))
            return line + 1;
    }
    return std::nullopt;
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
        const bool storable
            = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF && !isControl(c); });
        if (!storable)
            return field;
    }
    return std::nullopt;
}

Outcome<Configuration> loadConfigurationFile(const DrivePaths &drives)
{
    const QString localPath = drives.toLocal(Configuration::filePath());
    Outcome<QStringList> read = TextFile::readLines(localPath);
    const auto unreadable = [&](const QString &detail) {
        Error error = platformError(Error::Kind::ConfigurationUnreadable);
        error.detail = detail;
        error.localPath = localPath;
        return error;
    };
    if (!read.ok())
        return unreadable(fileProblem(localPath, read.error().detail));
    // A byte-order mark left by an editor that saved the file as UTF-8 is not part of entry 1.
    static const QString byteOrderMark = QStringLiteral("\u00EF\u00BB\u00BF");
    if (!read.value().isEmpty() && read.value().first().startsWith(byteOrderMark))
        read.value().first().remove(0, byteOrderMark.size());
    if (const std::optional<int> line = lineWithControlCharacter(read.value()))
        return unreadable(QStringLiteral("La riga %1 contiene un carattere di controllo (non stampabile).").arg(*line));
    std::optional<Configuration> configuration = Configuration::fromLines(read.value());
    if (!configuration) {
        Error error = platformError(Error::Kind::ConfigurationTooShort);
        error.detail = QString::number(read.value().size());
        error.localPath = localPath;
        return error;
    }
    return *configuration;
}

Status saveConfigurationFile(const DrivePaths &drives, const Configuration &configuration)
{
    if (const std::optional<int> field = configuration.unstorableField()) {
        Error error = platformError(Error::Kind::ConfigurationNotStorable);
        error.detail = configuration.field(*field);
        return error;
    }
    const QString localPath = drives.toLocal(Configuration::filePath());
    const Status written = TextFile::writeLines(localPath, configuration.toLines());
    if (!written.ok()) {
        Error error = platformError(Error::Kind::ConfigurationUnwritable);
        error.detail = fileProblem(localPath, written.error().detail);
        error.localPath = localPath;
        return error;
    }
    return Done{};
}
