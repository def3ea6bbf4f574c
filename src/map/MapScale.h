#pragma once

#include "platform/Error.h"

#include <QPointF>
#include <QString>
#include <QStringList>

#include <optional>

// The scale of a map: the entries of the scale list, the user-defined scale text "1:N" and the
// factor every drawing step uses (drawing units per ground centimetre, 1/N for a scale 1:N).

namespace map {

// The entry that switches to the user-defined scale; it heads the scale list.
inline const QString kUserDefinedScaleEntry = QStringLiteral("scala definita dall'utente");

// The seventeen entries of the scale list, top to bottom.
[[nodiscard]] QStringList scaleListEntries();

// The factor an entry of the scale list sets when it is chosen: 1/N for "scala 1:N", 1 for the
// user-defined entry, nothing for any other text (the factor then stays as it was).
[[nodiscard]] std::optional<double> scaleFactorForEntry(const QString &entry);

// A scale as the scale list shows it, with the factor it stands for, exactly: the scale a manual
// rescale measured, or the one a georeferenced map's georeference gives.
struct ShownScale
{
    QString text; // "1:N"
    double factor = 0.0;
};

// What the map windows keep of the scale: the factor every drawing step uses and the text of the
// scale list that gives it. It outlives a map window: one made anew shows the same scale, and sets
// the factor from what it shows whenever a map is shown.
struct ScaleState
{
    double factor = 0.0; // drawing units per ground centimetre (1/N for a scale 1:N)
    QString shown = kUserDefinedScaleEntry; // an entry of the list or a typed scale
    std::optional<ShownScale> measured; // the last manual rescale, while it is the scale shown or chosen again
};

// The factor of a scale 1:N, or nothing when N is 0, negative or not a number (such a scale would
// draw nothing sensible).
[[nodiscard]] std::optional<double> scaleFactorForDenominator(double denominator);

// The denominator of a user-defined scale "1:N": the number read from the third character on, as
// LeadingNumber reads it (0 when there is none).
[[nodiscard]] double userScaleDenominator(const QString &scaleText);

// The denominator a user-defined scale text plainly says, when userScaleDenominator() reads another
// number from it: "1:10.000" says 10000 and reads 10 (the point ends the number), "1:10 000" the same.
// Nothing when both agree or the text says no whole scale.
[[nodiscard]] std::optional<double> userScaleMisread(const QString &scaleText);

// "Aumenta la scala" (step +1) and "Diminuisci la scala" (step -1): "1:1" gives "1: 2" and "1: 0".
[[nodiscard]] QString steppedUserScaleText(const QString &scaleText, int step);

// The factor of a user-defined scale text, as scaleFactorForDenominator (the window refuses a text
// that gives nothing).
[[nodiscard]] std::optional<double> userScaleFactor(const QString &scaleText);

// The denominator of a scale as analysts write it: "1:10000", "scala 1:10000" or "10000", the
// thousands grouped by points or blanks as Italians write them ("1:10.000", "1:10 000"). A decimal
// part ("1:7500,5", "1:2.5", and "1:10,000", which reads either way) is refused
// (Error::Kind::ScaleWithDecimals): no map has such a scale, and a point is never taken as one. Any
// other text, and a denominator of 0, is no scale (Error::Kind::ScaleNotValid). Read alike whatever
// the locale.
[[nodiscard]] Outcome<double> writtenScaleDenominator(const QString &written);

// "1:N" for a factor, N rounded to a whole number from 10 on and to three figures below it, with
// the factor of that text: what the scale list shows after a manual rescale, and what it then draws.
[[nodiscard]] ShownScale roundedScale(double factor);

// "1:N" for a factor, as roundedScale() writes it: the scale named in the window and in notices.
[[nodiscard]] QString scaleText(double factor);

// The factor of a manual rescale: a segment of known ground length (metres) drawn between two
// points in drawing units. d / (metres x 100), d the segment's length.
[[nodiscard]] double scaleFactorFromSegment(QPointF start, QPointF end, double metres);

} // namespace map
