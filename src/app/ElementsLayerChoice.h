#pragma once

#include <QString>

class QWidget;

// The planner's layer of vulnerable elements last chosen, kept in the user's settings, so that the
// map window and the inventory dialog offer the same one. Both read the file's first layer.

// A local path; empty when none was ever chosen.
[[nodiscard]] QString rememberedElementsLayer();
// Kept only once the layer has been read, so that an unreadable file is not offered again.
void rememberElementsLayer(const QString &localPath);

// Asks for a layer's file, starting at `current`; a local path, empty when given up.
[[nodiscard]] QString chooseElementsLayerWithDialog(QWidget *parent, const QString &current);
