#include "xls/CodePage.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

// Windows-1252, the code page of Excel 95 files written with a Western European Windows.
QChar windows1252Character(quint8 byte)
{
    static constexpr char16_t high[32]
        = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
           0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
           0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? QChar(high[byte - 0x80]) : QChar(byte);
}

// The one-byte code pages a workbook may name, by the names Qt's converters know them by.
QByteArray converterName(quint16 number)
{
    static constexpr quint16 dos[] = {437, 737, 775, 850, 852, 855, 857, 860, 861, 862, 863, 864, 865, 866, 869};
    static constexpr quint16 windows[] = {874, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258};
    const auto among
        = [number](const auto &list) { return std::find(std::begin(list), std::end(list), number) != std::end(list); };
    if (among(dos))
        return "IBM" + QByteArray::number(number);
    if (among(windows))
        return "windows-" + QByteArray::number(number);
    switch (number) {
    case 367: return "US-ASCII";
    case 858: return "IBM00858";
    case 10000:
    case 32768: return "macintosh"; // 32768: the Macintosh code page as older Excel versions name it
    default: return {};
    }
}

std::optional<QString> converted(const QByteArray &name, QByteArrayView bytes)
{
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

std::optional<CodePage> CodePage::fromNumber(quint16 number)
{
    if (number == 1252 || number == 32769) // 32769: Windows-1252 as older Excel versions name it
        return windows1252();
    if (number == 1200)
        return CodePage(Kind::Gnumeric1200, {});
    const QByteArray name = converterName(number);
    if (name.isEmpty() || !QStringDecoder(name.constData()).isValid())
        return std::nullopt;
    return CodePage(Kind::Converted, name);
}

std::optional<QString> CodePage::decode(QByteArrayView bytes) const
{
    switch (m_kind) {
    case Kind::Windows1252: {
        QString text(bytes.size(), Qt::Uninitialized);
        std::transform(bytes.begin(), bytes.end(), text.begin(),
                       [](char byte) { return windows1252Character(quint8(byte)); });
        return text;
    }
    case Kind::Gnumeric1200: {
        const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                       [](char byte) { return quint8(byte) >= 1 && quint8(byte) <= 0x7F; });
        if (ascii)
            return QString::fromLatin1(bytes);
        if (bytes.size() % 2 != 0)
            return std::nullopt;
        return converted("UTF-16LE", bytes);
    }
    case Kind::Converted: return converted(m_converterName, bytes);
    }
    return std::nullopt;
}
