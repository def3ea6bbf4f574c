#include "xls/CellAddress.h"

std::optional<CellPosition> parseCellAddress(const QString &address)
{
    qsizetype i = 0;
    long long column = 0;
    while (i < address.size() && address.at(i) >= QLatin1Char('A') && address.at(i) <= QLatin1Char('Z')) {
        column = column * 26 + (address.at(i).unicode() - 'A' + 1);
        if (column > 16384)
            return std::nullopt;
        ++i;
    }
    if (i == 0 || i == address.size())
        return std::nullopt;
    long long row = 0;
    for (; i < address.size(); ++i) {
        if (!address.at(i).isDigit() || address.at(i).unicode() > '9')
            return std::nullopt;
        row = row * 10 + (address.at(i).unicode() - '0');
        if (row > 1048576)
            return std::nullopt;
    }
    if (row < 1)
        return std::nullopt;
    return CellPosition{int(row - 1), int(column - 1)};
}

QString columnLetters(int column)
{
    QString letters;
    while (column > 0) {
        const int remainder = (column - 1) % 26;
        letters.prepend(QLatin1Char(char('A' + remainder)));
        column = (column - 1) / 26;
    }
    return letters;
}
