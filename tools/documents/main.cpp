// Generates the six help documents that the configuration names (c:\zefro\ms_hlp*.pdf) from the
// texts in texts/, the built-in catalogue and the bundled class workbooks.
//
//   zefro_documents --texts <folder> --workbooks <folder> --output <folder>

#include "DocumentTables.h"
#include "PdfDocument.h"

#include "catalogue/Catalogue.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>

#include <cstdio>

namespace {

struct Document
{
    const char *file;
    const char *title;
};

const Document kDocuments[] = {
    {"ms_hlp", "ZEFRO - Introduzione al metodo Quillaro"},
    {"ms_hlp2", "ZEFRO - Lista delle sostanze in ordine alfabetico"},
    {"ms_hlp3", "ZEFRO - Lista delle sostanze suddivise per classe"},
    {"ms_hlp4", "ZEFRO - Manuale Utente, Parte I"},
    {"ms_hlp5", "ZEFRO - Manuale Utente, Parte II"},
    {"ms_hlp6", "ZEFRO - Soglie di danno, classi e scenari incidentali"},
};

int fail(const QString &message)
{
    std::fprintf(stderr, "zefro_documents: %s\n", qPrintable(message));
    return 1;
}

QString argument(const QStringList &arguments, const QString &name)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // no display is needed to set text on pages
    QGuiApplication application(argc, argv);

    const QStringList arguments = application.arguments();
    const QString textFolder = argument(arguments, QStringLiteral("--texts"));
    const QString workbookFolder = argument(arguments, QStringLiteral("--workbooks"));
    const QString outputFolder = argument(arguments, QStringLiteral("--output"));
    if (textFolder.isEmpty() || workbookFolder.isEmpty() || outputFolder.isEmpty())
        return fail(QStringLiteral("usage: zefro_documents --texts DIR --workbooks DIR --output DIR"));
    if (!QDir().mkpath(outputFolder))
        return fail(QStringLiteral("cannot create %1").arg(outputFolder));

    QString workbookError;
    const QString byClass = DocumentTables::substancesByClass(workbookFolder, &workbookError);
    if (!workbookError.isEmpty())
        return fail(workbookError);

    const QMap<QString, QString> generated{
        {QStringLiteral("SUBSTANCE_COUNT"), QString::number(Catalogue::substances().size())},
        {QStringLiteral("SUBSTANCES_ALPHABETICAL"), DocumentTables::substancesAlphabetical()},
        {QStringLiteral("SUBSTANCES_BY_CLASS"), byClass},
        {QStringLiteral("CLASS_LIST"), DocumentTables::classList()},
    };
    const QString header = [&] {
        QFile file(QDir(textFolder).filePath(QStringLiteral("header.html")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();

    static const QRegularExpression placeholder(QStringLiteral("\\{\\{([A-Z_]+)\\}\\}"));
    for (const Document &document : kDocuments) {
        const QString name = QString::fromLatin1(document.file);
        QFile source(QDir(textFolder).filePath(name + QStringLiteral(".html")));
        if (!source.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1").arg(source.fileName()));
        QString html = QString::fromUtf8(source.readAll());
        html.replace(QStringLiteral("{{HEADER}}"), header);

        // Every placeholder must be known: a misspelt one would otherwise reach the page.
        QString filled;
        qsizetype last = 0;
        for (auto it = placeholder.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            if (!generated.contains(match.captured(1)))
                return fail(QStringLiteral("%1: unknown placeholder %2").arg(source.fileName(), match.captured(0)));
            filled += html.mid(last, match.capturedStart() - last) + generated.value(match.captured(1));
            last = match.capturedEnd();
        }
        filled += html.mid(last);

        const QString path = QDir(outputFolder).filePath(name + QStringLiteral(".pdf"));
        const QString error = writePdfDocument(path, QString::fromUtf8(document.title), filled);
        if (!error.isEmpty())
            return fail(error);
    }
    return 0;
}
