#pragma once

#include <QString>

// A value read from a workbook cell: empty, a number or a text, compared the way the tables are
// read: a number equals a number, a text equals a text exactly (case and blanks count), a number
// never equals a text, and an empty cell equals 0 and the empty text.
class CellValue
{
public:
    enum class Kind { Empty, Number, Text };

    CellValue() = default;
    [[nodiscard]] static CellValue number(double value) { return CellValue(Kind::Number, value, {}); }
    [[nodiscard]] static CellValue text(QString value) { return CellValue(Kind::Text, 0.0, std::move(value)); }

    [[nodiscard]] Kind kind() const { return m_kind; }
    [[nodiscard]] bool isEmpty() const { return m_kind == Kind::Empty; }
    [[nodiscard]] bool isNumber() const { return m_kind == Kind::Number; }
    [[nodiscard]] bool isText() const { return m_kind == Kind::Text; }

    // The number; 0 for an empty cell and for a text.
    [[nodiscard]] double toNumber() const { return m_kind == Kind::Number ? m_number : 0.0; }
    // The text; empty for an empty cell and for a number.
    [[nodiscard]] const QString &toText() const { return m_text; }

    friend bool operator==(const CellValue &a, const CellValue &b)
    {
        if (a.m_kind == Kind::Empty && b.m_kind == Kind::Empty)
            return true;
        if (a.m_kind == Kind::Empty)
            return b.equalsEmpty();
        if (b.m_kind == Kind::Empty)
            return a.equalsEmpty();
        if (a.m_kind != b.m_kind)
            return false;
        return a.m_kind == Kind::Number ? a.m_number == b.m_number : a.m_text == b.m_text;
    }

private:
    CellValue(Kind kind, double number, QString text)
        : m_kind(kind)
        , m_number(number)
        , m_text(std::move(text))
    { }
    [[nodiscard]] bool equalsEmpty() const { return m_kind == Kind::Number ? m_number == 0.0 : m_text.isEmpty(); }

    Kind m_kind = Kind::Empty;
    double m_number = 0.0;
    QString m_text;
};
