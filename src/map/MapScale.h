#pragma once

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

// What the map windows keep of the scale: the factor every drawing step uses and the text of the
// scale list that gives it. It outlives a map window: one made anew shows the same scale, and sets
// the factor from what it shows whenever a map is shown.
struct ScaleState
{
    double factor = 0.0; // drawing units per ground centimetre (1/N for a scale 1:N)
    QString shown = kUserDefinedScaleEntry; // an entry of the list or a typed scale
};

// The factor of a scale 1:N, or nothing when N is 0, negative or not a number (such a scale would
// draw nothing sensible).
[[nodiscard]] std::optional<double> scaleFactorForDenominator(double denominator);

// The denominator of a user-defined scale "1:N": the number read from the third character on, as
// LeadingNumber reads it (0 when there is none).
[[nodiscard]] double userScaleDenominator(const QString &scaleText);

// "Aumenta la scala" (step +1) and "Diminuisci la scala" (step -1): "1:1" gives "1: 2" and "1: 0".
[[nodiscard]] QString steppedUserScaleText(const QString &scaleText, int step);

// The factor of a user-defined scale text, as scaleFactorForDenominator (the window refuses a text
// that gives nothing).
[[nodiscard]] std::optional<double> userScaleFactor(const QString &scaleText);

// The factor of a scale typed into the scale list: "1:N", "scala 1:N" or N alone (blanks, a decimal
// comma or point allowed); nothing for any other text or a denominator of 0.
[[nodiscard]] std::optional<double> typedScaleFactor(const QString &typed);

// "1:N" for a factor, N rounded to a whole number from 10 on: what the scale list shows after a manual
// rescale. typedScaleFactor() reads it back.
[[nodiscard]] QString scaleText(double factor);

// The factor of a manual rescale: a segment of known ground length (metres) drawn between two
// points in drawing units. d / (metres x 100), d the segment's length.
[[nodiscard]] double scaleFactorFromSegment(QPointF start, QPointF end, double metres);

} // namespace map
