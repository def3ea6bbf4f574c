#pragma once

#include "platform/Configuration.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
struct Platform;

// The configuration box `Form1`: the eight entries of the configuration file in fields Text1..Text8
// (shown in the order Text1, Text2, Text3, Text4, Text6, Text7, Text5, Text8, each with its label to
// the right) and the button "OK", which writes them back to the file. While the program runs the
// fields are where the entries live: the document buttons read them when clicked, so an edit applies
// at once, and "OK" only makes it permanent. Created hidden with the main window and afterwards only
// shown and hidden.
class ConfigBox final : public QWidget
{
    Q_OBJECT

public:
    explicit ConfigBox(Platform &platform, QWidget *parent = nullptr);

    // The current text of field TextN (n = 1..8); empty for any other n.
    [[nodiscard]] QString fieldText(int n) const;
    void setFieldText(int n, const QString &text);

    [[nodiscard]] Configuration configuration() const;
    void setConfiguration(const Configuration &configuration);

    // The label shown beside field TextN.
    [[nodiscard]] static QString labelText(int n);

public slots:
    // "OK": write the file; on success bring the main window forward (saved()) and hide the box.
    // A failed write is reported and leaves the box open with the edits as they are.
    void SaveConfiguration();

signals:
    void saved();

private:
    [[nodiscard]] QLineEdit *field(int n) const;

    Platform &m_platform;
    std::array<QLineEdit *, Configuration::kEntryCount> m_fields{};
};
