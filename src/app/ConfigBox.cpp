#include "app/ConfigBox.h"

#include "app/EnterPressesButton.h"
#include "app/Twips.h"
#include "platform/Platform.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Fields from top to bottom, by their N of TextN: the file order.
constexpr std::array<int, Configuration::kEntryCount> kFieldsOnScreen{1, 2, 3, 4, 6, 7, 5, 8};

const QString kManualLabel = QStringLiteral("Path+nomefile del file .pdf contenente") + QString(29, QLatin1Char(' '))
    + QStringLiteral("il manuale utente parte %1");

// A long label is set in a smaller type rather than cut off at the next field's label.
void fitLabel(QLabel *label)
{
    QFont font = label->font();
    const QRect room(QPoint(0, 0), label->size());
    const auto fits = [&](const QFont &candidate) {
        const QRect needed = QFontMetrics(candidate).boundingRect(QRect(0, 0, room.width(), 10 * room.height()),
                                                                  Qt::TextWordWrap, label->text());
        return needed.height() <= room.height();
    };
    while (font.pointSizeF() > 6.0 && !fits(font))
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

} // namespace

QString ConfigBox::labelText(int n)
{
    switch (n) {
    case 1: return QStringLiteral("Path+nomefile di Acrobat Reader");
    case 2: return QStringLiteral("Path+nomefile del file more help .pdf ");
    case 3:
        return QStringLiteral("Path+nomefile del file .pdf contenente la lista delle sostanze in ordine alfabetico");
    case 4:
        return QStringLiteral("Path+nomefile del file .pdf contenente la lista delle sostanze suddivise per classe");
    case 5:
        return QStringLiteral("Path+nomefile del file .pdf contenente informazioni sulle soglie di danno dei "
                              "diversi scenari  e sulle classi   (VCE, pool fire, nube tossica etc.)");
    case 6: return kManualLabel.arg(1);
    case 7: return kManualLabel.arg(2);
    case 8: return QStringLiteral("Path+nomefile del file .out contenente i risultati del calcolo");
    default: return {};
    }
}

ConfigBox::ConfigBox(Platform &platform, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZEFRO ver. 3.0fe Config Box"));
    setFixedSize(twipsToPixels(11850), twipsToPixels(7455));
    QFont controlsFont(QStringLiteral("MS Sans Serif"));
    controlsFont.setStyleHint(QFont::SansSerif);
    controlsFont.setPointSize(8);
    setFont(controlsFont);

    auto *title = new QLabel(QStringLiteral("Ambiente di configurazione"), this);
    title->setObjectName(QStringLiteral("Label9"));
    QFont titleFont(QStringLiteral("MS Sans Serif"));
    titleFont.setStyleHint(QFont::SansSerif);
    titleFont.setBold(true);
    titleFont.setPointSize(18);
    title->setFont(titleFont);
    title->setGeometry(twipsRect(120, 240, 7455, 600));

    const Configuration initialValues = Configuration::initial();
    for (std::size_t row = 0; row < kFieldsOnScreen.size(); ++row) {
        const int n = kFieldsOnScreen[row];
        const int top = 960 + 600 * int(row);

        auto *edit = new QLineEdit(initialValues.field(n), this);
        edit->setObjectName(QStringLiteral("Text%1").arg(n));
        edit->setGeometry(twipsRect(120, top, 7455, 375));
        m_fields[std::size_t(n - 1)] = edit;

        auto *label = new QLabel(labelText(n), this);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(twipsRect(7800, top, 3930, 600));
        fitLabel(label);
        label->setBuddy(edit);
    }

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setGeometry(twipsRect(3240, 6000, 1215, 495));
    pressWithEnter(*ok);
    connect(ok, &QPushButton::clicked, this, &ConfigBox::SaveConfiguration);
}

QLineEdit *ConfigBox::field(int n) const
{
    return n >= 1 && n <= Configuration::kEntryCount ? m_fields[std::size_t(n - 1)] : nullptr;
}

QString ConfigBox::fieldText(int n) const
{
    const QLineEdit *edit = field(n);
    return edit ? edit->text() : QString();
}

void ConfigBox::setFieldText(int n, const QString &text)
{
    if (QLineEdit *edit = field(n))
        edit->setText(text);
}

Configuration ConfigBox::configuration() const
{
    Configuration configuration;
    for (int n = 1; n <= Configuration::kEntryCount; ++n)
        configuration.setField(n, fieldText(n));
    return configuration;
}

void ConfigBox::setConfiguration(const Configuration &configuration)
{
    for (int n = 1; n <= Configuration::kEntryCount; ++n)
        setFieldText(n, configuration.field(n));
}

void ConfigBox::SaveConfiguration()
{
    const Configuration edited = configuration();
    const Status written = saveConfigurationFile(m_platform.drives, edited);
    if (!written.ok()) {
        m_platform.messages.show({written.error().message(), kDefaultMessageTitle, MessageButtons::Ok,
                                  MessageIcon::Critical, MessageAnswer::Ok});
        if (QLineEdit *edit = field(edited.unstorableField().value_or(0)))
            edit->setFocus();
        return;
    }
    emit saved();
    hide();
}
