#pragma once

#include <QString>

#include <array>

// The eleven hazard classes, in the fixed order of the class search and of the class list.
struct HazardClass
{
    QString listCode;     // "1_1_1" ... "2_3", "4", "51", "52", "53"
    QString listEntry;    // the exact text of the class-list entry
    int classCode;        // value given to classCode when found; 0 where the class sets none
    bool gas;
    QString workbookFile; // file name in the data folder
    int worksheet;        // 1-based position of the substance table
    int firstRow;
    int lastRow;
    QString casColumn;
    QString zoneColumn;   // empty for the flammable classes

    [[nodiscard]] bool isToxic() const { return !zoneColumn.isEmpty(); }
    // "1.1.1" for "1_1_1": how reports write a flammable class.
    [[nodiscard]] QString dottedLabel() const { return QString(listCode).replace(QLatin1Char('_'), QLatin1Char('.')); }
};

inline constexpr int kFlammableClassCount = 7;

[[nodiscard]] const std::array<HazardClass, 11> &hazardClasses();

// The data folder of every workbook, as the system names it.
inline const QString kDataFolder = QStringLiteral("c:\\revisione metodo speditivo\\dati\\Dati input ZEFRO 200605\\");

// The seven entries of the flammable-class quick pick, in list order (spaced unlike the class list).
[[nodiscard]] const std::array<QString, kFlammableClassCount> &quickPickEntries();
