#pragma once

#include "elements/ReachedRows.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
struct Platform;

// "Elementi vulnerabili": the elements of the planner's layer that the damage areas drawn on the map
// reach, one row an element and zone (zona, nome, categoria, tipo, persone, distanza), with the layer
// and the counts above. "Copia" puts the table on the clipboard as tab-separated text, "Salva CSV…"
// writes it as a CSV file for spreadsheets, "Cambia strato…" asks the map window for another layer.
class ElementsDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit ElementsDialog(Platform &platform, QWidget *parent = nullptr);

    // The layer's file, what is reached (no areas drawn on the ground yet: none) and the suggested
    // name of a saved CSV (a local path).
    void showReached(const QString &layerFile, std::size_t elementCount, const QString &summary,
                     std::vector<elements::ReachedRow> rows, const QString &suggestedCsv);
    [[nodiscard]] const std::vector<elements::ReachedRow> &rows() const { return m_rows; }

    // Where "Salva CSV…" writes: a local path for a suggested one, empty when given up.
    void setCsvFileChooser(std::function<QString(const QString &suggested)> chooser);

signals:
    void layerChangeAsked();

private:
    void copy() const;
    void saveCsv();

    Platform &m_platform;
    std::function<QString(const QString &)> m_chooseCsvFile;
    std::vector<elements::ReachedRow> m_rows;
    QString m_suggestedCsv;
    QLabel *m_heading = nullptr;
    QTableWidget *m_table = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_save = nullptr;
};
