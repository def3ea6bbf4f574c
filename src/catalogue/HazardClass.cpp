#include "catalogue/HazardClass.h"

const std::array<HazardClass, 11> &hazardClasses()
{
    static const std::array<HazardClass, 11> table{{
        {"1_1_1", QStringLiteral("1_1_1   Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C(Punto di infiammabilità > 20°C)"),
         0, false, "111.xls", 6, 1, 80, "A", ""},
        {"1_1_2", QStringLiteral("1_1_2   Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C (Punto di infiammabilità < 20°C)"),
         0, false, "112.xls", 6, 1, 72, "A", ""},
        {"1_2", QStringLiteral("1_2 Liquidi infiammabili con tensione di vapore > 0.3 bar a 20°C "),
         0, false, "12.xls", 6, 1, 23, "A", ""},
        {"2_1_1", QStringLiteral("2_1_1   Gas infiammabili liquefatti per compressione(Teb> -8°C)"),
         0, true, "211.xls", 6, 1, 12, "A", ""},
        {"2_1_2", QStringLiteral("2_1_2   Gas infiammabili liquefatti per compressione(Teb< -8°C)"),
         0, true, "212.xls", 6, 1, 20, "A", ""},
        {"2_2", QStringLiteral("2_2 Gas infiammabili liquefatti per refrigerazione"),
         0, true, "22.xls", 6, 1, 36, "A", ""},
        {"2_3", QStringLiteral("2_3 Gas infiammabili semplicemente compressi"),
         23, true, "23.xls", 6, 1, 37, "A", ""},
        {"4", QStringLiteral("4 Liquidi tossici"),
         4, false, "classe 4 tabelle nomi e indicazione zona.xls", 1, 4, 75, "C", "A"},
        {"51", QStringLiteral("51 Gas tossici liquefatti per compressione"),
         51, true, "classe 51 tabelle nomi e indicazione zone.xls", 1, 4, 25, "C", "A"},
        {"52", QStringLiteral("52 Gas tossici liquefatti per refrigerazione"),
         52, true, "classe 52 tabelle nomi e indicazione zone.xls", 1, 4, 28, "C", "A"},
        {"53", QStringLiteral("53 Gas tossici semplicemente compressi"),
         53, true, "classe 53 tabelle nomi e indicazione zone.xls", 1, 4, 28, "C", "A"},
    }};
    return table;
}

const std::array<QString, kFlammableClassCount> &quickPickEntries()
{
    static const std::array<QString, kFlammableClassCount> entries{
        QStringLiteral("1_1_1   Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C(Punto di infiammabilità > 20°C)"),
        QStringLiteral("1_1_2   Liquidi infiammabili con tensione di vapore < 0.3 bar a 20°C (Punto di infiammabilità < 20°C)"),
        QStringLiteral("1_2     Liquidi infiammabili con tensione di vapore > 0.3 bar a 20°C "),
        QStringLiteral("2_1_1   Gas infiammabili liquefatti per compressione(Teb> -8°C)"),
        QStringLiteral("2_1_2   Gas infiammabili liquefatti per compressione(Teb< -8°C)"),
        QStringLiteral("2_2     Gas infiammabili liquefatti per refrigerazione"),
        QStringLiteral("2_3     Gas infiammabili semplicemente compressi"),
    };
    return entries;
}
