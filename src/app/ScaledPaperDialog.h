#pragma once

#include <QPageLayout>
#include <QPageSize>

#include <optional>

class QWidget;

// The paper of "Stampa in scala": A4 or A3, portrait or landscape.
struct ScaledPaper
{
    QPageSize::PageSizeId size = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
};

// Asks for the paper in a small dialog, A4 landscape offered; nothing when the analyst cancels.
[[nodiscard]] std::optional<ScaledPaper> askScaledPaper(QWidget *parent);
