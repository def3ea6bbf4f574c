#pragma once

#include "app/OpenDocument.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
struct Platform;

// The tutorial window `frmAboutBox`: the usage instructions and the buttons that open the manuals in
// the PDF reader. Created on the first "&Help" and afterwards only shown and hidden, so it keeps its
// state for the rest of the run. Its parent is the main window, which "&OK" brings forward.
class TutorialWindow final : public QWidget
{
    Q_OBJECT

public:
    TutorialWindow(Platform &platform, ConfigurationField configurationField, QWidget *mainWindow = nullptr);

    // Client area 8865 x 7080 twips.
    static constexpr int kClientWidth = 8865 / 15;
    static constexpr int kClientHeight = 7080 / 15;

    // The fixed 84 x 83 bitmap of Picture1.
    [[nodiscard]] static QPixmap pictureBitmap();

private slots:
    void Command1_Click();
    void Command3_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void CmdOK_Click();

private:
    void Form_Load();
    QPushButton *addButton(const char *name, const QString &caption, const QString &toolTip, int top);

    Platform &m_platform;
    ConfigurationField m_field;
    QPlainTextEdit *m_text = nullptr;
};
