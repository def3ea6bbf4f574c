#pragma once

#include <QString>

#include <optional>
#include <utility>

class QWidget;

// What "Incidente alle coordinate…" asks: the two coordinates of the incident in the map's system,
// E and N (longitude and latitude on a geographic one), offered with the texts typed last.
struct CoordinatesQuestion
{
    QString system; // as the window names it ("EPSG:32632")
    bool geographic = false;
    QString first; // E or longitude
    QString second; // N or latitude
};

// The texts typed, E and N (or longitude and latitude); nothing when the analyst cancels.
using TypedCoordinates = std::pair<QString, QString>;

// Asks with a small dialog of two fields.
[[nodiscard]] std::optional<TypedCoordinates> askCoordinatesWithDialog(QWidget *parent,
                                                                       const CoordinatesQuestion &question);
