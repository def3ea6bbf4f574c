#pragma once

#include "estimate/Estimate.h"
#include "support/EstimateWorkbooks.h"

#include <QString>

// Two estimates made by hand, with every kind of distance a report shows: a tanker of propane under the
// average hypothesis (a "more than 10000 m", a 0 m that is not applicable); unbunded storage of 10 to 50 t
// of acrylonitrile (sub-classes, a lower bound, distances not available).
namespace sample {

inline DamageDistance metres(double value)
{
    return {value, false, false, {}};
}

inline const Estimate kFlammable{Substance{"Propano", "74-98-6"},
                                 &classOf("2_1_2"),
                                 Hypothesis::Average,
                                 Containment::Tanker,
                                 std::nullopt,
                                 {{metres(120), metres(155), metres(210), metres(10001), metres(430), metres(500),
                                   metres(0), metres(895)}},
                                 "2.1.2",
                                 "VCE"};
inline const Estimate kToxic{Substance{"Acrilonitrile", "107-13-1"},
                             &classOf("4"),
                             Hypothesis::MostLikely,
                             Containment::UnbundedStorage,
                             RangeEntry{CellValue::number(10), CellValue::number(50), 1},
                             {{{49, false, false, "4.3  "},
                               {},
                               {289, false, true, "4.3  "},
                               {},
                               {400, false, false, "4.6  "},
                               {},
                               {0, true, false, {}},
                               {}}},
                             "4.6  ",
                             "Nube Tossica"};

} // namespace sample
