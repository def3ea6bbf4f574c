#pragma once

#include "catalogue/HazardClass.h"
#include "estimate/Choices.h"

#include <QString>
#include <QStringList>

#include <optional>

// The main window's list texts: the prompts its lists show before a choice, and the translation of a
// chosen entry to the value the estimate works with. Every way the old lists were read lives here.

inline const QString kNameListPrompt = QStringLiteral("inserire nome sostanza");
inline const QString kCasListPrompt = QStringLiteral("inserire CAS");
// What the CAS list shows after a quick pick.
inline const QString kCasListAfterQuickPick = QStringLiteral("CAS");
inline const QString kQuickPickListPrompt
    = QStringLiteral("visionare elenco classi di interesse (solo per sostanze infiammabili)");
inline const QString kClassListPrompt = QStringLiteral("visionare elenco classi cui appartiene la sostanza prescelta");
// What the class list shows once the class lookup has run.
inline const QString kClassChoicePrompt
    = QStringLiteral("visionare le classi cui può appartenere la sostanza prescelta + scelta");
// What the class list shows when the lookup could not read every class table: it stays locked until
// Reset, so it no longer invites a choice.
inline const QString kClassListUnreadable
    = QStringLiteral("classi non disponibili: tabelle delle classi non leggibili (premere Reset)");
inline const QString kHypothesisListPrompt = QStringLiteral("scelta dell'ipotesi più probabile o dell'ipotesi media");
inline const QString kContainmentListPrompt = QStringLiteral("inserire tipologia di detenzione");
// What the quantity list shows after the load handler (the diameter list then shows
// kDiameterListPrompt).
inline const QString kQuantityListLoadText = QStringLiteral("diametro condotta");
inline const QString kQuantityListPrompt = QStringLiteral("scelta della quantità [t]");
inline const QString kDiameterListPrompt = QStringLiteral("scelta del diametro della condotta [in]");

namespace ListTexts {

// The class of a class-list entry, compared whole; nullptr for any other text.
[[nodiscard]] const HazardClass *classOfListEntry(const QString &entry);

// The class a quick-pick entry names by its leading list code, the codes tried in the order 1_1_1,
// 1_1_2, 1_2, 2_1_1, 2_1_2, 2_2, 2_3 (so "1_2     ..." is recognised by its first three
// characters); nullptr when none leads it.
[[nodiscard]] const HazardClass *classOfQuickPickEntry(const QString &entry);

// The hypothesis list: its first entry is the most likely hypothesis, any other text the average one.
[[nodiscard]] Hypothesis hypothesisOfEntry(const QString &entry);

// The containment list's entries, compared whole.
[[nodiscard]] std::optional<Containment> containmentOfEntry(const QString &entry);

// A quantity or diameter is taken by its text: the position of the last entry equal to it, nothing
// when the text (typed into the box, say) is no entry.
[[nodiscard]] std::optional<std::size_t> lastPositionOf(const QStringList &entries, const QString &text);

} // namespace ListTexts
