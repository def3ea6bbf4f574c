#pragma once

// Little-endian numbers at a byte offset of a file read whole: the compound-file and BIFF
// structures of a workbook store every number this way. Callers check the offset is in range.

#include <QByteArrayView>
#include <QtEndian>

#include <cstring>

namespace littleendian {

[[nodiscard]] inline quint16 u16(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

[[nodiscard]] inline quint32 u32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

[[nodiscard]] inline double f64(QByteArrayView bytes, qsizetype at)
{
    const quint64 bits = qFromLittleEndian<quint64>(bytes.data() + at);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace littleendian
