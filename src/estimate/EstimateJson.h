#pragma once

#include <QJsonObject>

struct Estimate;

// The estimate as one JSON object: the choices as the report quotes them and, for each of the eight
// slots (threshold 1..4 under D5, then under F2), the threshold, the weather case, the distance in
// metres as the text shows it (10000 with "greaterThan" for "more than 10000 m"; null where the
// text says " Non applicabile" or " Non disponibile"), the display text and, for the toxic
// thresholds 1 and 3, the sub-class.
[[nodiscard]] QJsonObject estimateJson(const Estimate &estimate);
