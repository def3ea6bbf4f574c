#include "app/Configuration.h"

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

QString ConfigurationError::message() const
{
    const QString file = Configuration::filePath();
    switch (kind) {
    case Kind::Unreadable:
        return QStringLiteral("Impossibile leggere il file di configurazione\n%1\n\n%2\n(%3)\n\n"
                              "Il programma verrà chiuso.")
            .arg(file, detail, localPath);
    case Kind::TooShort:
        return QStringLiteral("Il file di configurazione\n%1\ncontiene %2 righe: ne servono 8 "
                              "(percorso di Acrobat Reader, sei documenti, prefisso dei file di uscita)."
                              "\n\nIl programma verrà chiuso.")
            .arg(file)
            .arg(lineCount);
    case Kind::Unwritable:
        return QStringLiteral("Impossibile salvare il file di configurazione\n%1\n\n%2\n(%3)\n\n"
                              "Le modifiche restano nella finestra di configurazione.")
            .arg(file, detail, localPath);
    case Kind::NotStorable:
        return QStringLiteral("Il testo\n%1\ncontiene caratteri che il file di configurazione non può "
                              "registrare (a capo o caratteri non dell'alfabeto latino).\n\n"
                              "Correggere il campo e premere di nuovo OK.")
            .arg(detail);
    }
    return {};
}

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

std::optional<ConfigurationError> Configuration::unstorableField() const
{
    for (int field = 1; field <= kEntryCount; ++field) {
        const QString text = this->field(field);
        const bool storable = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
            return c.unicode() <= 0xFF && c != QLatin1Char('\n') && c != QLatin1Char('\r');
        });
        if (!storable)
            return ConfigurationError{ConfigurationError::Kind::NotStorable, text, QString(), 0, field};
    }
    return std::nullopt;
}

ConfigurationLoad loadConfigurationFile(const DrivePaths &drives)
{
    const QString localPath = drives.toLocal(Configuration::filePath());
    const TextFile::ReadResult read = TextFile::readLines(localPath);
    if (!read.lines) {
        return {std::nullopt,
                {ConfigurationError::Kind::Unreadable, fileProblem(localPath, read.error), localPath, 0, 0}};
    }
    std::optional<Configuration> configuration = Configuration::fromLines(*read.lines);
    if (!configuration) {
        return {std::nullopt,
                {ConfigurationError::Kind::TooShort, QString(), localPath, int(read.lines->size()), 0}};
    }
    return {std::move(configuration), {}};
}

std::optional<ConfigurationError> saveConfigurationFile(const DrivePaths &drives,
                                                        const Configuration &configuration)
{
    if (auto problem = configuration.unstorableField())
        return problem;
    const QString localPath = drives.toLocal(Configuration::filePath());
    QString error;
    if (!TextFile::writeLines(localPath, configuration.toLines(), &error))
        return ConfigurationError{ConfigurationError::Kind::Unwritable, fileProblem(localPath, error), localPath, 0, 0};
    return std::nullopt;
}
