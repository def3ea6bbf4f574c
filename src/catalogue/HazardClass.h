#pragma once

#include <QString>

#include <array>
#include <cstddef>

// One of the eleven hazard classes, in the fixed order of the class search and of the class list:
// seven flammable classes (1_x liquids, 2_x gases), then four toxic ones (4 liquids, 51 to 53 gases).
struct HazardClass
{
    QString listCode; // "1_1_1" ... "2_3", "4", "51", "52", "53"
    QString listEntry; // the class as the class list names it
    QString quickPickEntry; // a flammable class as the quick pick names it (spaced otherwise); empty for toxic ones
    int classCode; // 23 for 2_3, 4 / 51 / 52 / 53 for the toxic classes, else 0
    bool gas;
    QString workbookFile; // file name in the data folder
    int worksheet; // 1-based position of the substance table
    int firstRow;
    int lastRow;
    QString casColumn;
    QString zoneColumn; // empty for the flammable classes

    [[nodiscard]] bool isToxic() const { return !zoneColumn.isEmpty(); }
    // "1.1.1" for "1_1_1": how reports write a flammable class.
    [[nodiscard]] QString dottedLabel() const { return QString(listCode).replace(QLatin1Char('_'), QLatin1Char('.')); }
    // The classes of compressed gases (2_3 and 53), which are never kept in a bund.
    [[nodiscard]] bool isCompressedGas() const { return classCode == 23 || classCode == 53; }
    // Position in the class table, 0 .. 10.
    [[nodiscard]] std::size_t index() const;
};

inline constexpr std::size_t kHazardClassCount = 11;
inline constexpr std::size_t kFlammableClassCount = 7;

[[nodiscard]] const std::array<HazardClass, kHazardClassCount> &hazardClasses();

// The class of a list code ("1_1_2", "51"); nullptr for any other text.
[[nodiscard]] const HazardClass *findHazardClass(const QString &listCode);

// The data folder of every workbook, as the system names it.
inline const QString kDataFolder = QStringLiteral("c:\\revisione metodo speditivo\\dati\\Dati input ZEFRO 200605\\");
