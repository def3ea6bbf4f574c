#include "site/InventoryText.h"

#include <QStringDecoder>

namespace site {

CsvText csvTextOf(const QByteArray &bytes)
{
    const QByteArray bom("\xEF\xBB\xBF");
    const bool hasBom = bytes.startsWith(bom);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return {hasBom ? bytes.mid(bom.size()) : bytes,
                hasBom ? QStringLiteral("UTF-8 con BOM") : QStringLiteral("UTF-8")};

    // Windows-1252 is Latin-1 with printable characters (€, curly quotes) where Latin-1 has controls.
    QStringDecoder windows("windows-1252", QStringDecoder::Flag::Stateless);
    if (windows.isValid())
        return {QString(windows.decode(bytes)).toUtf8(), QStringLiteral("Windows-1252")};
    return {QString::fromLatin1(bytes).toUtf8(), QStringLiteral("Latin-1")};
}

std::vector<int> csvRecordRows(const QByteArray &utf8)
{
    std::vector<int> rows;
    int row = 0;
    bool headerSeen = false;
    bool quoted = false;
    bool empty = true;
    const auto endRecord = [&] {
        ++row;
        if (!empty) {
            if (headerSeen)
                rows.push_back(row);
            headerSeen = true;
        }
        empty = true;
    };
    for (qsizetype at = 0; at < utf8.size(); ++at) {
        const char c = utf8[at];
        if (c == '"')
            quoted = !quoted; // a doubled quote inside a quoted field turns it off and on again
        if (!quoted && (c == '\n' || c == '\r')) {
            if (c == '\r' && at + 1 < utf8.size() && utf8[at + 1] == '\n')
                ++at;
            endRecord();
            continue;
        }
        empty = false;
    }
    if (!empty)
        endRecord();
    return rows;
}

} // namespace site
