#pragma once

// Whether a layer words its own kinds: each kind, made by the layer's factory about a file (with
// where it is on this computer, a sheet, a cell and a detail), has a message of its own, not the
// words of an error that says nothing more, and that message names what it should.
#include "platform/Error.h"

#include <QStringList>

#include <vector>

namespace wording {

const QString kFile = QStringLiteral("c:\\dati\\nome.xls"), kLocalPath = QStringLiteral("/r/c/dati/nome.xls");
// The file as the messages about a workbook or a file of the platform name it.
const QString kFileHere = kFile + QStringLiteral("\n(su questo computer: ") + kLocalPath + QLatin1Char(')');

struct Expected
{
    Error::Kind kind;
    QString named; // what the message must hold; empty for the kinds about no file
};

// The kinds whose messages fall short, a line each with the message; empty when the layer words them all.
inline QString unworded(Error (*make)(Error::Kind), const std::vector<Expected> &kinds)
{
    QStringList faults;
    for (const Expected &expected : kinds) {
        Error made = make(expected.kind), plain;
        for (Error *error : {&made, &plain}) {
            error->file = kFile;
            error->localPath = kLocalPath;
            error->sheet = 2;
            error->cell = QStringLiteral("B3");
            error->detail = QStringLiteral("dettaglio");
        }
        const Status passedOn = made; // as the callers get it
        const QString text = passedOn.error().message();
        if (text.isEmpty() || text == plain.message() || !text.contains(expected.named))
            faults << QStringLiteral("%1: %2").arg(int(expected.kind)).arg(text);
    }
    return faults.join(QLatin1Char('\n'));
}

} // namespace wording
