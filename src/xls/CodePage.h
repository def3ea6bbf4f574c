#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The code page of an Excel 5/95 (BIFF5/7) workbook, from its CODEPAGE record: how the bytes of its
// texts become characters. Excel 97 and later store their texts in Unicode and need none.
//
// Windows-1252 (also when the record is missing) is read by our own table. 1200 is what Gnumeric
// writes when an Excel 97 workbook is saved as Excel 95: a text of plain ASCII (bytes 1 to 127) in one
// byte a character, any other in UTF-16; the text's length counts bytes either way. The other
// one-byte code pages of Windows, DOS and the Macintosh are decoded by Qt when it has a converter for
// them. Code pages of several bytes a character, or ones Qt cannot convert, are not read at all:
// fromNumber() gives nullopt, and the workbook is refused rather than read with wrong letters.
class CodePage
{
public:
    [[nodiscard]] static CodePage windows1252() { return CodePage(Kind::Windows1252, {}); }
    [[nodiscard]] static std::optional<CodePage> fromNumber(quint16 number);

    // The text these bytes store; nullopt when they are no text in this code page.
    [[nodiscard]] std::optional<QString> decode(QByteArrayView bytes) const;

private:
    enum class Kind { Windows1252, Gnumeric1200, Converted };
    CodePage(Kind kind, QByteArray converterName)
        : m_kind(kind)
        , m_converterName(std::move(converterName))
    { }

    Kind m_kind;
    QByteArray m_converterName; // Converted: the name Qt knows the code page by
};
