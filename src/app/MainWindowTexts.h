#pragma once

#include <QString>

// The texts the main window's lists show before a choice replaces them. The estimate's reports and
// the report file name quote them where no choice was made (the name list's prompt after a quick
// pick, say), so zefro-estimate takes them from here too: its reports must be the window's own.

inline const QString kNameListPrompt = QStringLiteral("inserire nome sostanza");
inline const QString kCasListPrompt = QStringLiteral("inserire CAS");
// What the CAS list shows after a quick pick; the class lookup then searches for this text.
inline const QString kCasListAfterQuickPick = QStringLiteral("CAS");
inline const QString kQuickPickListPrompt =
    QStringLiteral("visionare elenco classi di interesse (solo per sostanze infiammabili)");
inline const QString kClassListPrompt = QStringLiteral("visionare elenco classi cui appartiene la sostanza prescelta");
// What the class list shows once the class lookup has run.
inline const QString kClassChoicePrompt =
    QStringLiteral("visionare le classi cui può appartenere la sostanza prescelta + scelta");
inline const QString kHypothesisListPrompt = QStringLiteral("scelta dell'ipotesi più probabile o dell'ipotesi media");
inline const QString kLikelyHypothesis = QStringLiteral("Ipotesi più probabile");
inline const QString kAverageHypothesis = QStringLiteral("Ipotesi media");
// What the quantity list shows after the load handler (the diameter list then shows
// kDiameterListPrompt).
inline const QString kQuantityListLoadText = QStringLiteral("diametro condotta");
