#include "app/TutorialWindow.h"

#include "app/TutorialWindowText.h"
#include "platform/Platform.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// A push button whose caption wraps at its blanks, as the old captions were designed to do
// ("  Lista sostanze     (ordine alfabetico)" shows on two lines). The caption text stays exact.
class CaptionBreakButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        // The long blank run inside a caption marks where it breaks; other blanks are just blanks.
        QString caption = option.text.trimmed();
        caption.replace(QRegularExpression(QStringLiteral(" {3,}")), QStringLiteral("\n"));
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);

        const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(2, 0, -2, 0);
        painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(), isEnabled(),
                             caption, QPalette::ButtonText);
    }
};

// Button column on the right of the text, in pixels of the client area.
constexpr int kButtonLeft = 447;
constexpr int kButtonWidth = 136;
constexpr int kButtonHeight = 52;

} // namespace

TutorialWindow::TutorialWindow(Platform &platform, ConfigurationField configurationField, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window)
    , m_platform(platform)
    , m_field(std::move(configurationField))
{
    setObjectName(QStringLiteral("frmAboutBox"));
    setWindowTitle(QStringLiteral("ZEFRO tutorial"));
    setFixedSize(kClientWidth, kClientHeight);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(8, 8, 431, 99);

    auto *picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(pictureBitmap());
    picture->setGeometry(8, 8, 84, 83);

    auto *title = new QLabel(QStringLiteral("ZEFRO   ver. 3.0fe"), frame);
    title->setObjectName(QStringLiteral("Label1"));
    QFont titleFont(QStringLiteral("Tahoma"), 12, QFont::Bold);
    titleFont.setStyleHint(QFont::SansSerif); // another sans-serif where Tahoma is missing
    title->setFont(titleFont);
    title->setTextFormat(Qt::PlainText);
    title->setGeometry(108, 8, 315, 83);
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setGeometry(8, 115, 431, kClientHeight - 123);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    connect(addButton("Command1", QStringLiteral("Introduzione"), QStringLiteral("Sommario del Metodo Quillaro"), 8),
            &QPushButton::clicked, this, &TutorialWindow::Command1_Click);
    connect(addButton("Command3", QStringLiteral("  Lista sostanze     (ordine alfabetico)"),
                      QStringLiteral("Elenco delle sostanze chimiche in ordine alfabetico"), 68),
            &QPushButton::clicked, this, &TutorialWindow::Command3_Click);
    connect(addButton("Command2", QStringLiteral(" Lista sostanze    (ordinate per classe)"),
                      QStringLiteral("Elenco delle sostanze chimiche in ordine per classe"), 128),
            &QPushButton::clicked, this, &TutorialWindow::Command2_Click);
    connect(addButton("Command4", QStringLiteral(" Manuale Utente   Parte I"),
                      QStringLiteral("Manuale Utente Prima Parte"), 188),
            &QPushButton::clicked, this, &TutorialWindow::Command4_Click);
    QPushButton *partTwo = addButton("Command5", QStringLiteral(" Manuale Utente   Parte II"),
                                     QStringLiteral("Manuale Utente Seconda Parte"), 248);
    partTwo->setEnabled(false); // nothing ever enables it
    connect(partTwo, &QPushButton::clicked, this, &TutorialWindow::Command5_Click);
    QPushButton *ok = addButton("CmdOK", QStringLiteral("&OK"), QStringLiteral("Torna al form principale"),
                                kClientHeight - 8 - kButtonHeight);
    connect(ok, &QPushButton::clicked, this, &TutorialWindow::CmdOK_Click);

    Form_Load();
}

QPushButton *TutorialWindow::addButton(const char *name, const QString &caption, const QString &toolTip, int top)
{
    auto *button = new CaptionBreakButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(toolTip);
    button->setGeometry(kButtonLeft, top, kButtonWidth, kButtonHeight);
    return button;
}

void TutorialWindow::Form_Load()
{
    // The text box keeps lines apart with LF; the text itself is written with CR LF.
    m_text->setPlainText(tutorialUsageText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TutorialWindow::Command1_Click()
{
    OpenDocument(m_platform, m_field, 2);
}

void TutorialWindow::Command3_Click()
{
    OpenDocument(m_platform, m_field, 3);
}

void TutorialWindow::Command2_Click()
{
    OpenDocument(m_platform, m_field, 4);
}

void TutorialWindow::Command4_Click()
{
    OpenDocument(m_platform, m_field, 6);
}

void TutorialWindow::Command5_Click()
{
    OpenDocument(m_platform, m_field, 7);
}

void TutorialWindow::CmdOK_Click()
{
    if (QWidget *mainWindow = parentWidget()) {
        mainWindow->show();
        mainWindow->raise();
        mainWindow->activateWindow();
    }
    hide();
}

QPixmap TutorialWindow::pictureBitmap()
{
    // A map sheet with the eight damage areas around an accident point, in the legend's colours.
    QPixmap pixmap(84, 83);
    pixmap.fill(QColor(236, 233, 216));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(QColor(120, 120, 120), 1));
    painter.setBrush(QColor(250, 248, 236));
    painter.drawRect(3, 3, 77, 76);
    painter.setPen(QPen(QColor(190, 205, 220), 1));
    for (int x = 13; x < 80; x += 10)
        painter.drawLine(x, 4, x, 78);
    for (int y = 13; y < 79; y += 10)
        painter.drawLine(4, y, 79, y);

    const QPointF centre(42, 42);
    const QColor rings[] = {Qt::gray, Qt::magenta, Qt::green, Qt::yellow, Qt::cyan, Qt::blue, Qt::red};
    qreal radius = 36;
    painter.setBrush(Qt::NoBrush);
    for (const QColor &ring : rings) {
        painter.setPen(QPen(ring, 2.2));
        painter.drawEllipse(centre, radius, radius);
        radius -= 5;
    }
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawLine(QPointF(36, 42), QPointF(48, 42));
    painter.drawLine(QPointF(42, 36), QPointF(42, 48));
    return pixmap;
}
