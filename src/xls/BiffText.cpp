#include "xls/BiffText.h"

#include <QtEndian>

namespace {

constexpr quint32 kWide = 0x01;
constexpr quint32 kPhonetic = 0x04;
constexpr quint32 kRuns = 0x08;

} // namespace

bool BiffText::available()
{
    while (m_segment < m_segments.size() && m_pos == m_segments[m_segment].size()) {
        ++m_segment;
        m_pos = 0;
    }
    return m_segment < m_segments.size();
}

bool BiffText::atEnd()
{
    return !available();
}

std::optional<quint32> BiffText::number(int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i) {
        if (!available())
            return std::nullopt;
        value |= quint32(quint8(m_segments[m_segment][m_pos++])) << (8 * i);
    }
    return value;
}

bool BiffText::skip(quint64 bytes)
{
    while (bytes > 0) {
        if (!available())
            return false;
        const qsizetype take = qsizetype(std::min<quint64>(bytes, quint64(m_segments[m_segment].size() - m_pos)));
        m_pos += take;
        bytes -= quint64(take);
    }
    return true;
}

std::optional<QString> BiffText::unicode(int countBytes, bool withExtras)
{
    const std::optional<quint32> count = number(countBytes), options = number(1);
    if (!count || !options || (*options & ~(withExtras ? kWide | kPhonetic | kRuns : kWide)) != 0)
        return std::nullopt;
    const std::optional<quint32> runs = (*options & kRuns) ? number(2) : 0;
    const std::optional<quint32> phonetic = (*options & kPhonetic) ? number(4) : 0;
    if (!runs || !phonetic)
        return std::nullopt;

    QString text;
    bool wide = (*options & kWide) != 0;
    while (quint32(text.size()) < *count) {
        if (m_segment >= m_segments.size())
            return std::nullopt;
        QByteArrayView segment = m_segments[m_segment];
        if (m_pos == segment.size()) { // the characters go on in the next segment, after its option byte
            if (++m_segment >= m_segments.size() || m_segments[m_segment].isEmpty())
                return std::nullopt;
            const quint8 option = quint8(m_segments[m_segment][0]);
            if ((option & ~kWide) != 0)
                return std::nullopt;
            wide = (option & kWide) != 0;
            m_pos = 1;
            continue;
        }
        const qsizetype width = wide ? 2 : 1;
        const qsizetype take = std::min<qsizetype>(*count - text.size(), (segment.size() - m_pos) / width);
        if (take == 0) // half a character before the segment's end
            return std::nullopt;
        segment = segment.sliced(m_pos, take * width);
        if (wide) {
            for (qsizetype i = 0; i < take; ++i)
                text.append(QChar(char16_t(qFromLittleEndian<quint16>(segment.data() + 2 * i))));
        } else {
            text.append(QString::fromLatin1(segment));
        }
        m_pos += take * width;
    }
    // No application puts a NUL in a cell's text: such characters are zeroed bytes.
    if (!skip(4 * quint64(*runs) + *phonetic) || text.contains(QChar(0)))
        return std::nullopt;
    return text;
}

std::optional<QString> BiffText::codePage(int countBytes, const CodePage &codePage)
{
    const std::optional<quint32> count = number(countBytes);
    if (!count)
        return std::nullopt;
    QByteArray bytes;
    while (quint32(bytes.size()) < *count) { // the bytes may go on in the next segment
        if (!available())
            return std::nullopt;
        const QByteArrayView segment = m_segments[m_segment];
        const qsizetype take = std::min<qsizetype>(*count - bytes.size(), segment.size() - m_pos);
        bytes.append(segment.sliced(m_pos, take));
        m_pos += take;
    }
    return codePage.decode(bytes);
}

std::optional<QString> wholeText(QByteArrayView data, const CodePage *byteTexts, int countBytes)
{
    BiffText reader({data});
    std::optional<QString> text = byteTexts ? reader.codePage(countBytes, *byteTexts) : reader.unicode(countBytes);
    return text && reader.atEnd() ? text : std::nullopt;
}
