#include "catalogue/HazardClass.h"

const std::array<HazardClass, kHazardClassCount> &hazardClasses()
{
    static const std::array<HazardClass, kHazardClassCount> table{{
        {"1_1_1",
         QStringLiteral(
             "1_1_1   Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C(Punto di infiammabilità > 20°C)"),
         QStringLiteral(
             "1_1_1   Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C(Punto di infiammabilità > 20°C)"),
         0, false, "111.xls", 6, 1, 80, "A", ""},
        {"1_1_2",
         QStringLiteral(
             "1_1_2   Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C (Punto di infiammabilità < 20°C)"),
         QStringLiteral(
             "1_1_2   Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C (Punto di infiammabilità < 20°C)"),
         0, false, "112.xls", 6, 1, 72, "A", ""},
        {"1_2", QStringLiteral("1_2 Liquidi infiammabili con tensione di vapore > 0.3 bar a 20°C "),
         QStringLiteral("1_2     Liquidi infiammabili con tensione di vapore > 0.3 bar a 20°C "), 0, false, "12.xls", 6,
         1, 23, "A", ""},
        {"2_1_1", QStringLiteral("2_1_1   Gas infiammabili liquefatti per compressione(Teb> -8°C)"),
         QStringLiteral("2_1_1   Gas infiammabili liquefatti per compressione(Teb> -8°C)"), 0, true, "211.xls", 6, 1,
         12, "A", ""},
        {"2_1_2", QStringLiteral("2_1_2   Gas infiammabili liquefatti per compressione(Teb< -8°C)"),
         QStringLiteral("2_1_2   Gas infiammabili liquefatti per compressione(Teb< -8°C)"), 0, true, "212.xls", 6, 1,
         20, "A", ""},
        {"2_2", QStringLiteral("2_2 Gas infiammabili liquefatti per refrigerazione"),
         QStringLiteral("2_2     Gas infiammabili liquefatti per refrigerazione"), 0, true, "22.xls", 6, 1, 36, "A",
         ""},
        {"2_3", QStringLiteral("2_3 Gas infiammabili semplicemente compressi"),
         QStringLiteral("2_3     Gas infiammabili semplicemente compressi"), 23, true, "23.xls", 6, 1, 37, "A", ""},
        {"4", QStringLiteral("4 Liquidi tossici"), QString(), 4, false, "classe 4 tabelle nomi e indicazione zona.xls",
         1, 4, 75, "C", "A"},
        {"51", QStringLiteral("51 Gas tossici liquefatti per compressione"), QString(), 51, true,
         "classe 51 tabelle nomi e indicazione zone.xls", 1, 4, 25, "C", "A"},
        {"52", QStringLiteral("52 Gas tossici liquefatti per refrigerazione"), QString(), 52, true,
         "classe 52 tabelle nomi e indicazione zone.xls", 1, 4, 28, "C", "A"},
        {"53", QStringLiteral("53 Gas tossici semplicemente compressi"), QString(), 53, true,
         "classe 53 tabelle nomi e indicazione zone.xls", 1, 4, 28, "C", "A"},
    }};
    return table;
}

std::size_t HazardClass::index() const
{
    const auto &classes = hazardClasses();
    std::size_t position = 0;
    while (position + 1 < classes.size() && classes[position].listCode != listCode)
        ++position;
    return position;
}

const HazardClass *findHazardClass(const QString &listCode)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == listCode)
            return &hazard;
    }
    return nullptr;
}
