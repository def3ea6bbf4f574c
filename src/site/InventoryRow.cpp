#include "site/InventoryRow.h"

#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "platform/LenientText.h"
#include "site/InventoryText.h"

#include <QStringList>

#include <variant>

namespace site {

namespace {

struct ColumnNaming
{
    Column column;
    const char *name;
};

// A shapefile keeps ten characters of a field's name: "diametro_i".
constexpr std::array<ColumnNaming, kColumnCount + 1> kNamings{{{Column::Id, "id"},
                                                               {Column::Substance, "sostanza"},
                                                               {Column::Cas, "cas"},
                                                               {Column::HazardClass, "classe"},
                                                               {Column::Hypothesis, "ipotesi"},
                                                               {Column::Containment, "detenzione"},
                                                               {Column::Quantity, "quantita_t"},
                                                               {Column::Diameter, "diametro_in"},
                                                               {Column::SheetX, "x_cm"},
                                                               {Column::SheetY, "y_cm"},
                                                               {Column::East, "est"},
                                                               {Column::North, "nord"},
                                                               {Column::Diameter, "diametro_i"}}};

template <typename T> using Read = std::variant<T, QString>; // the value, or the problem

// "colonna Ipotesi: \"3\"": a column as the file heads it and a value as written.
QString cellText(const ColumnHeaders &headers, Column column, const QString &value)
{
    return QStringLiteral("colonna %1: \"%2\"").arg(headers[static_cast<std::size_t>(column)], value);
}

Read<Hypothesis> hypothesisOf(const RowCells &cells, const ColumnHeaders &headers)
{
    const QString &text = cells[Column::Hypothesis];
    for (const Hypothesis hypothesis : {Hypothesis::MostLikely, Hypothesis::Average}) {
        if (text == QString::number(static_cast<int>(hypothesis)) || folded(text) == folded(hypothesisName(hypothesis)))
            return hypothesis;
    }
    return cellText(headers, Column::Hypothesis, text)
        + QStringLiteral(" non è un'ipotesi: vale 1 (\"%1\") o 2 (\"%2\")")
              .arg(hypothesisName(Hypothesis::MostLikely), hypothesisName(Hypothesis::Average));
}

Read<Containment> containmentOf(const RowCells &cells, const ColumnHeaders &headers)
{
    const QString &text = cells[Column::Containment];
    for (const Containment containment : kContainments) {
        if (text == QString::number(worksheetOf(containment)) || folded(text) == folded(containmentName(containment)))
            return containment;
    }
    return cellText(headers, Column::Containment, text)
        + QStringLiteral(" non è una detenzione: vale da 1 a 5 (1 stoccaggi fissi con bacino, 2 senza bacino, "
                         "3 autobotti/ferrocisterne, 4 navi, 5 condotte)");
}

// The catalogue name as written, else the one that differs from it only in case, accents or blanks;
// a name the catalogue lacks stays as written, for the estimate to refuse.
QString catalogueName(const QString &written)
{
    if (Catalogue::findByName(written))
        return written;
    const QString key = folded(written);
    QStringList matches;
    for (const Substance &substance : Catalogue::substances()) {
        if (folded(substance.name) == key && !matches.contains(substance.name))
            matches.append(substance.name);
    }
    return matches.size() == 1 ? matches.front() : written;
}

Read<EstimateOrder> substanceOf(const RowCells &cells, const ColumnHeaders &headers)
{
    EstimateOrder order;
    const HazardClass *hazard = nullptr;
    if (const QString &code = cells[Column::HazardClass]; !code.isEmpty()) {
        hazard = findHazardClass(QString(code).replace(QLatin1Char('.'), QLatin1Char('_')));
        if (!hazard)
            return cellText(headers, Column::HazardClass, code)
                + QStringLiteral(" non è una classe: vale 1_1_1, 1_1_2, 1_2, 2_1_1, 2_1_2, 2_2, 2_3, 4, 51, 52 o 53");
    }
    if (!cells[Column::Substance].isEmpty()) {
        order.by = EstimateOrder::SubstanceBy::Name;
        order.substance = catalogueName(cells[Column::Substance]);
    } else if (!cells[Column::Cas].isEmpty()) {
        order.by = EstimateOrder::SubstanceBy::Cas;
        order.substance = cells[Column::Cas];
    } else if (hazard && !hazard->isToxic()) {
        order.by = EstimateOrder::SubstanceBy::QuickPick;
        order.substance = hazard->listCode;
        return order;
    } else if (hazard) {
        return cellText(headers, Column::HazardClass, cells[Column::HazardClass])
            + QStringLiteral(" è una classe tossica: da sola non basta, serve la sostanza (colonna sostanza o cas)");
    } else {
        return QStringLiteral("manca la sostanza: le colonne sostanza, cas e classe sono vuote");
    }
    if (hazard)
        order.classCode = hazard->listCode;
    return order;
}

Read<std::optional<EstimateOrder::Figure>> figureOfRow(const RowCells &cells, const ColumnHeaders &headers)
{
    const QString &quantity = cells[Column::Quantity];
    const QString &diameter = cells[Column::Diameter];
    if (!quantity.isEmpty() && !diameter.isEmpty())
        return QStringLiteral("colonne %1 e %2 piene entrambe: serve la quantità o il diametro, non tutti e due")
            .arg(headers[static_cast<std::size_t>(Column::Quantity)],
                 headers[static_cast<std::size_t>(Column::Diameter)]);
    const bool isQuantity = !quantity.isEmpty();
    const QString &text = isQuantity ? quantity : diameter;
    if (text.isEmpty())
        return std::optional<EstimateOrder::Figure>();
    const std::optional<double> value = figureOf(text);
    if (!value || *value < 0.0)
        return cellText(headers, isQuantity ? Column::Quantity : Column::Diameter, text)
            + QStringLiteral(" non è un numero maggiore o uguale a zero");
    return std::optional(EstimateOrder::Figure{isQuantity ? RangeKind::Quantity : RangeKind::Diameter, *value});
}

// A position given by two columns: none when both are empty.
Read<std::optional<QPointF>> pointOf(const RowCells &cells, const ColumnHeaders &headers, Column across, Column down)
{
    if (cells[across].isEmpty() && cells[down].isEmpty())
        return std::optional<QPointF>();
    for (const auto &[given, missing] : {std::pair(across, down), std::pair(down, across)}) {
        if (cells[missing].isEmpty())
            return cellText(headers, given, cells[given])
                + QStringLiteral(" senza %1: la posizione vuole tutte e due le colonne")
                      .arg(headers[static_cast<std::size_t>(missing)].isEmpty()
                               ? columnName(missing)
                               : headers[static_cast<std::size_t>(missing)]);
    }
    const std::optional<double> x = figureOf(cells[across]);
    const std::optional<double> y = figureOf(cells[down]);
    if (!x)
        return cellText(headers, across, cells[across]) + QStringLiteral(" non è un numero");
    if (!y)
        return cellText(headers, down, cells[down]) + QStringLiteral(" non è un numero");
    return std::optional(QPointF(*x, *y));
}

Read<std::optional<ItemPosition>> positionOf(const RowCells &cells, const ColumnHeaders &headers)
{
    if (!cells.geometryNotPoint.isEmpty())
        return QStringLiteral("la geometria è %1, non un punto").arg(cells.geometryNotPoint);
    if (cells.geometryPoint)
        return std::optional(ItemPosition{ItemPosition::On::Ground, *cells.geometryPoint});
    const Read<std::optional<QPointF>> sheet = pointOf(cells, headers, Column::SheetX, Column::SheetY);
    if (const QString *problem = std::get_if<QString>(&sheet))
        return *problem;
    const Read<std::optional<QPointF>> ground = pointOf(cells, headers, Column::East, Column::North);
    if (const QString *problem = std::get_if<QString>(&ground))
        return *problem;
    const std::optional<QPointF> &onSheet = std::get<std::optional<QPointF>>(sheet);
    const std::optional<QPointF> &onGround = std::get<std::optional<QPointF>>(ground);
    if (onSheet && onGround)
        return QStringLiteral("posizione data due volte: sul foglio (x_cm, y_cm) e sul terreno (est, nord)");
    if (onSheet)
        return std::optional(ItemPosition{ItemPosition::On::Sheet, *onSheet});
    if (onGround)
        return std::optional(ItemPosition{ItemPosition::On::Ground, *onGround});
    return std::optional<ItemPosition>();
}

} // namespace

std::optional<Column> columnNamed(const QString &header)
{
    const QString key = folded(header);
    for (const ColumnNaming &naming : kNamings) {
        if (key == QLatin1String(naming.name))
            return naming.column;
    }
    return std::nullopt;
}

QString columnName(Column column)
{
    for (const ColumnNaming &naming : kNamings) {
        if (naming.column == column)
            return QLatin1String(naming.name);
    }
    return {};
}

RowReading readRow(const RowCells &cells, const ColumnHeaders &headers)
{
    RowReading reading;
    const Read<std::optional<ItemPosition>> position = positionOf(cells, headers);
    if (const QString *problem = std::get_if<QString>(&position)) {
        reading.problem = *problem;
        return reading;
    }
    reading.position = std::get<std::optional<ItemPosition>>(position);

    const auto missing = [&](Column column) {
        return QStringLiteral("colonna %1 vuota").arg(headers[static_cast<std::size_t>(column)]);
    };
    if (cells[Column::Hypothesis].isEmpty()) {
        reading.problem = missing(Column::Hypothesis) + QStringLiteral(": serve l'ipotesi, 1 o 2");
        return reading;
    }
    if (cells[Column::Containment].isEmpty()) {
        reading.problem = missing(Column::Containment) + QStringLiteral(": serve la detenzione, da 1 a 5");
        return reading;
    }
    Read<EstimateOrder> order = substanceOf(cells, headers);
    const Read<Hypothesis> hypothesis = hypothesisOf(cells, headers);
    const Read<Containment> containment = containmentOf(cells, headers);
    const Read<std::optional<EstimateOrder::Figure>> figure = figureOfRow(cells, headers);
    for (const QString *problem :
         std::initializer_list<const QString *>{std::get_if<QString>(&order), std::get_if<QString>(&hypothesis),
                                                std::get_if<QString>(&containment), std::get_if<QString>(&figure)}) {
        if (problem) {
            reading.problem = *problem;
            return reading;
        }
    }
    EstimateOrder &result = std::get<EstimateOrder>(order);
    result.hypothesis = std::get<Hypothesis>(hypothesis);
    result.containment = std::get<Containment>(containment);
    result.figure = std::get<std::optional<EstimateOrder::Figure>>(figure);
    reading.order = result;
    return reading;
}

} // namespace site
