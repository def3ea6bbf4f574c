#pragma once

#include "xls/CodePage.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The texts and little numbers of BIFF records, read from a record and the CONTINUE records that go
// on with it (one segment each). Numbers and the formatting runs of a text may run on into the next
// segment as they are; a text's characters that do open a new segment start with an option byte of
// their own, which says whether they take one byte or two. Every read that would pass the last
// segment, and every option byte with bits no text may have, gives nullopt.
class BiffText
{
public:
    explicit BiffText(QList<QByteArrayView> segments)
        : m_segments(std::move(segments))
    { }

    [[nodiscard]] std::optional<quint32> number(int bytes);
    [[nodiscard]] bool skip(quint64 bytes);
    // BIFF8: character count (countBytes wide), option byte, then (the shared string table only,
    // withExtras) formatting-run and phonetic counts; one-byte characters are Latin-1, two-byte
    // ones UTF-16; then the runs and the phonetic block, skipped.
    [[nodiscard]] std::optional<QString> unicode(int countBytes, bool withExtras = false);
    // BIFF5: length in bytes (countBytes wide), then the bytes, in the workbook's code page.
    [[nodiscard]] std::optional<QString> codePage(int countBytes, const CodePage &codePage);
    // True when every byte of every segment has been read.
    [[nodiscard]] bool atEnd();

private:
    bool available();

    QList<QByteArrayView> m_segments;
    qsizetype m_segment = 0;
    qsizetype m_pos = 0;
};

// One text of a single record, which must take the whole of it; nullopt otherwise. byteTexts: the
// code page of a BIFF5 workbook; nullptr for BIFF8, whose texts are Unicode.
[[nodiscard]] std::optional<QString> wholeText(QByteArrayView data, const CodePage *byteTexts, int countBytes);
