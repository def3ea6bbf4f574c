#include "app/CreditsBox.h"

#include "catalogue/DataFolderSeal.h"
#include "platform/Platform.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText); // keeps the blank runs of the texts
    label->setText(text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

} // namespace

CreditsBox::CreditsBox(Platform &platform, SysInfoEnvironment sysInfo, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_platform(platform)
    , m_sysInfo(std::move(sysInfo))
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ZEFRO Credit"));
    setFixedSize(kClientWidth, kClientHeight);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(iconBitmap());
    icon->setGeometry(16, 16, 32, 32);

    QLabel *title = addLabel(this, "lblTitle", QStringLiteral("Titolo applicazione: ZEFRO"), {64, 12, 305, 20});
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);

    addLabel(this, "lblVersion",
             QStringLiteral(" Versione 3.0fe, Final Edition") + QString(43, QLatin1Char(' '))
                 + QStringLiteral("Data: settembre 2006"),
             {64, 34, 305, 34});
    addLabel(this, "lblDescription",
             QStringLiteral("Descrizione applicazione: metodo Quillaro per la determinazione delle conseguenze "
                            "di eventi incidentali coinvolgenti sostanze pericolose"),
             {64, 70, 305, 50});

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(8, 122, kClientWidth - 16, 4);

    // Who made the program and how to reach them.
    addLabel(this, "lblOrganisation",
             QStringLiteral("Realizzato da: Ufficio Tecnico Rischio Industriale, Servizio Pianificazione di Emergenza"),
             {16, 128, kClientWidth - 32, 30});
    addLabel(this, "lblAgreement", QStringLiteral("Convenzione tecnica n. 14/2005 sul rischio di incidente rilevante"),
             {16, 158, 250, 30});
    addLabel(this, "lblContact", QStringLiteral("Contatti: zefro-assistenza@example.org"), {16, 188, 250, 16});

    addLabel(this, "lblDisclaimer",
             QStringLiteral("Avviso: uso riservato alla Pubblica Amministrazione.") + QString(6, QLatin1Char(' ')),
             {16, 206, 250, 30});

    auto *sealLine = new QFrame(this);
    sealLine->setFrameShape(QFrame::HLine);
    sealLine->setFrameShadow(QFrame::Sunken);
    sealLine->setGeometry(8, kClientHeight - kSealLineHeight - 2, kClientWidth - 16, 4);
    addLabel(this, "lblDataSeal", dataFolderSealLine(dataFolderSeal(platform.drives)),
             {16, kClientHeight - kSealLineHeight + 3, kClientWidth - 32, kSealLineHeight - 5});

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(kClientWidth - 108, 184, 96, 24);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CreditsBox::cmdOK_Click);

    auto *sysInfoButton = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfoButton->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfoButton->setGeometry(kClientWidth - 108, 212, 96, 24);
    connect(sysInfoButton, &QPushButton::clicked, this, &CreditsBox::cmdSysInfo_Click);
}

void CreditsBox::cmdOK_Click()
{
    close(); // and deleted: the next "&Credits" makes a fresh box
}

void CreditsBox::cmdSysInfo_Click()
{
    StartSysInfo();
}

void CreditsBox::StartSysInfo()
{
    const QString program = findSysInfoProgram(m_sysInfo);
    if (program.isEmpty()) {
        m_platform.messages.notify(kSysInfoUnavailable);
        return;
    }
    if (!m_sysInfo.startProgram || !m_sysInfo.startProgram(program))
        m_platform.messages.notify(launchFailure(program).message(), MessageIcon::Critical);
}

QPixmap CreditsBox::iconBitmap()
{
    // A warning triangle over a damage circle: the program's subject in one glyph.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(200, 30, 30), 2));
    painter.setBrush(QColor(255, 235, 235));
    painter.drawEllipse(QPointF(16, 16), 14.5, 14.5);
    const QPointF triangle[] = {{16, 5}, {27, 25}, {5, 25}};
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(QColor(250, 200, 20));
    painter.drawPolygon(triangle, 3);
    painter.setPen(QPen(Qt::black, 2.4));
    painter.drawLine(QPointF(16, 11), QPointF(16, 19));
    painter.drawPoint(QPointF(16, 22.5));
    return pixmap;
}
