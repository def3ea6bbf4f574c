#pragma once

#include "app/SysInfo.h"

#include <QWidget>

struct Platform;

// The credits box `frmAbout`: title, version, description and the issuing organisation, a button
// that starts the system-information program, and below them a line on the data tables' seal (sealed
// when, or not sealed). Created at each "&Credits" and destroyed by "OK" (it deletes itself on close).
class CreditsBox final : public QWidget
{
    Q_OBJECT

public:
    explicit CreditsBox(Platform &platform, SysInfoEnvironment sysInfo = systemSysInfoEnvironment(),
                        QWidget *parent = nullptr);

    // Client area 5715 x 3585 twips, and the two lines on the seal below.
    static constexpr int kClientWidth = 5715 / 15;
    static constexpr int kSealLineHeight = 38;
    static constexpr int kClientHeight = 3585 / 15 + kSealLineHeight;

    [[nodiscard]] static QPixmap iconBitmap();

private slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    void StartSysInfo();

    Platform &m_platform;
    SysInfoEnvironment m_sysInfo;
};
