#include "app/MainWindow.h"

#include "app/ConfigBox.h"
#include "app/CreditsBox.h"
#include "app/Decorations.h"
#include "app/EnterPressesButton.h"
#include "app/InventoryDialog.h"
#include "app/ListCollation.h"
#include "app/ListTexts.h"
#include "app/MapWindow.h"
#include "app/OpenDocument.h"
#include "app/SelectionCombo.h"
#include "app/Twips.h"
#include "app/TutorialWindow.h"
#include "app/WrappingButton.h"
#include "catalogue/DataFolderSeal.h"
#include "catalogue/HazardClass.h"
#include "catalogue/SealedWorkbookOpener.h"
#include "estimate/EstimateChain.h"
#include "estimate/Report.h"
#include "platform/Configuration.h"
#include "platform/Platform.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace {

const QString kCaption = QStringLiteral("Metodo Quillaro ZEFRO rel. 3.0fe") + QString(88, QLatin1Char(' '));

constexpr int kComboHeight = 315; // twips

const QString kRasterFolder = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster");

// The class list's text when a named substance is in none of the class tables: the list stays empty
// and the chain locked, and this says why.
const QString kNoClassPrompt
    = QStringLiteral("Sostanza non presente in nessuna tabella delle classi: nessuna stima possibile");

// The locked lists and the Output box show the choices made and the summary, which must stay
// readable: the style's grey on grey (1.7:1) is not. Their locked text is the normal text toned a
// third of the way towards the locked background (7:1 for black on #EFEFEF), still grey enough to
// look locked.
void keepReadableWhenLocked(QWidget &control)
{
    QPalette palette = control.palette();
    const QColor text = palette.color(QPalette::Active, QPalette::Text),
                 base = palette.color(QPalette::Disabled, QPalette::Base);
    const auto toned = [](float from, float to) { return (2 * from + to) / 3; };
    palette.setColor(QPalette::Disabled, QPalette::Text,
                     QColor::fromRgbF(toned(text.redF(), base.redF()), toned(text.greenF(), base.greenF()),
                                      toned(text.blueF(), base.blueF())));
    control.setPalette(palette);
}

// A list too narrow for its prompt or one of its entries shows them in a smaller font rather than
// cut them off: "scelta dell'ipotesi più probabile o dell'ipotesi media" is wider than its list.
void fitTexts(QComboBox &list, const QStringList &texts)
{
    QStyleOptionComboBox option;
    option.initFrom(&list);
    option.editable = true;
    const int room
        = list.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list).width() - 4;
    QFont font = list.font();
    const auto fit = [&] {
        const QFontMetrics metrics(font);
        return std::all_of(texts.begin(), texts.end(),
                           [&](const QString &text) { return metrics.horizontalAdvance(text) <= room; });
    };
    while (font.pointSizeF() > 7 && !fit())
        font.setPointSizeF(font.pointSizeF() - 0.5);
    list.setFont(font);
}

// Qt shows a plain tool-tip on one line as wide as the screen; as rich text it wraps into a box.
// The blanks of the text are kept as they are.
QString wrappingToolTip(const QString &text)
{
    if (text.isEmpty())
        return text;
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

bool titleFits(const QFont &font, const QString &text, const QSize &area)
{
    const QFontMetrics metrics(font);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (metrics.horizontalAdvance(line) > area.width())
            return false;
    }
    return metrics.lineSpacing() * lines.size() <= area.height();
}

} // namespace

MainWindow::MainWindow(Platform &platform, QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_workbooks(std::make_unique<SealedWorkbookOpener>(platform.drives))
    , m_chain(std::make_unique<EstimateChain>(*m_workbooks))
{
    setObjectName(QStringLiteral("Form1_ms"));
    setWindowTitle(kCaption);
    setFixedSize(kClientWidth, kClientHeight);
    QFont controlsFont(QStringLiteral("MS Sans Serif"));
    controlsFont.setStyleHint(QFont::SansSerif);
    controlsFont.setPointSize(8);
    setFont(controlsFont);

    m_configBox = new ConfigBox(platform, this);
    m_configBox->hide();
    connect(m_configBox, &ConfigBox::saved, this, [this] {
        show();
        raise();
        activateWindow();
    });

    buildControls();
    Form_Load();
}

MainWindow::~MainWindow() = default;

SelectionCombo *MainWindow::addCombo(const char *name, const QString &designText, const QString &toolTip, int left,
                                     int top, int width)
{
    auto *combo = new SelectionCombo(m_frame);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setGeometry(twipsRect(left, top, width, kComboHeight));
    combo->setText(designText);
    combo->setToolTip(wrappingToolTip(toolTip));
    keepReadableWhenLocked(*combo);
    return combo;
}

WrappingButton *MainWindow::addButton(const char *name, const QString &caption, const QString &toolTip, int left,
                                      int top, int width, int height)
{
    auto *button = new WrappingButton(caption, m_frame);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(twipsRect(left, top, width, height));
    button->setToolTip(wrappingToolTip(toolTip));
    pressWithEnter(*button);
    return button;
}

void MainWindow::buildControls()
{
    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setGeometry(twipsRect(120, 0, 9495, 9855));

    m_combo1 = addCombo("Combo1", kNameListPrompt,
                        QStringLiteral("Puoi inserire il nome di una sostanza (completamento automatico) oppure il CAS "
                                       "(nella casella sotto) oppure ancora scegliere una sostanza tipica per ciascuna "
                                       "classe di infiammabili nella casella ancora sotto"),
                        120, 3360, 9135);
    m_combo1->setSorted(&ListCollation::nameLess);
    m_combo2 = addCombo("Combo2", kCasListPrompt,
                        QStringLiteral("Puoi inserire il nome di una sostanza (completamento automatico) nella casella "
                                       "sopra oppure il CAS (in questa casella) oppure ancora scegliere una sostanza "
                                       "tipica per ciascuna classe di infiammabili nella casella attivata sotto"),
                        120, 3960, 2175);
    m_combo2->setSorted(&ListCollation::casLess);
    m_combo21 = addCombo("Combo21", QStringLiteral("Combo3"), QString(), 5520, 7200, 1935);
    m_combo21->setEnabled(false);
    m_combo21->hide();
    m_combo8 = addCombo("Combo8", kQuickPickListPrompt,
                        QStringLiteral("Puoi inserire il nome di una sostanza (completamento automatico) nella prima "
                                       "casella oppure il CAS (nella seconda casella)  oppure ancora scegliere una "
                                       "sostanza tipica per ciascuna classe di infiammabili in questa casella"),
                        120, 4560, 9135);
    m_combo9
        = addCombo("Combo9", QStringLiteral("visionare le classi cui può appartenenere la sostanza prescelta + scelta"),
                   QString(), 120, 5040, 9135);
    m_combo5 = addCombo("Combo5", kHypothesisListPrompt, QString(), 120, 5640, 4455);
    m_combo5->addItems({hypothesisName(Hypothesis::MostLikely), hypothesisName(Hypothesis::Average)});
    m_combo5->setEnabled(false);
    m_combo4 = addCombo("Combo4", kContainmentListPrompt, QString(), 4800, 5640, 4455);
    for (const Containment containment : kContainments)
        m_combo4->addItem(containmentName(containment));
    m_combo4->setEnabled(false);
    m_combo6 = addCombo("Combo6", QStringLiteral("quantità stoccata "), QString(), 120, 6120, 4455);
    m_combo7 = addCombo("Combo7", QStringLiteral("diametro della condotta"), QString(), 4800, 6120, 4455);
    fitTexts(*m_combo5, m_combo5->itemTexts() << kHypothesisListPrompt);
    fitTexts(*m_combo4, m_combo4->itemTexts() << kContainmentListPrompt);
    for (SelectionCombo *ranges : {m_combo6, m_combo7})
        fitTexts(*ranges, {kQuantityListPrompt, kDiameterListPrompt, kQuantityListLoadText});

    m_output = new QPlainTextEdit(m_frame);
    m_output->setObjectName(QStringLiteral("Output"));
    m_output->setGeometry(twipsRect(120, 6600, 9135, 1605));
    m_output->setPlainText(QStringLiteral("Output\r\n"));
    m_output->setEnabled(false);
    keepReadableWhenLocked(*m_output);

    m_command1 = addButton("Command1", QStringLiteral("Stima distanza di danno e visualizzazione su mappa"),
                           QStringLiteral("Premere per ottenere una stima delle distanze di danno e per visualizzarli "
                                          "su di una mappa"),
                           240, 8400, 2055, 735);
    m_command6
        = addButton("Command6", QStringLiteral("Visualizza soglie, classi e scenari incidentali"),
                    QStringLiteral("Visualizza le soglie di danno ex Decreti e le classi cui possono appartenere "
                                   "le sostanze"),
                    2400, 8400, 2055, 735);
    m_command3 = addButton("Command3", QStringLiteral("&Help"), QStringLiteral("Per accedere all'ambiente help"), 4560,
                           8400, 1095, 735);
    m_command4 = addButton("Command4", QStringLiteral("&Credits"), QStringLiteral("Informazioni supplementari sul SW"),
                           5760, 8400, 1095, 735);
    m_command5 = addButton("Command5", QStringLiteral("Reset"),
                           QStringLiteral("Azzera tutte le box per un nuovo calcolo"), 6960, 8400, 1095, 735);
    m_command2 = addButton("Command2", QStringLiteral("Esci"), QStringLiteral("Quit"), 8160, 8400, 1095, 735);
    m_command7 = addButton("Command7", QStringLiteral("Configurazione"),
                           QStringLiteral("Modifica il path dei file help e dati"), 6720, 3840, 2535, 375);

    m_progress = new QProgressBar(m_frame);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setGeometry(twipsRect(240, 9360, 9015, 375));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    m_dataSealStatus = new QLabel(m_frame);
    m_dataSealStatus->setObjectName(QStringLiteral("DataSealStatus"));
    m_dataSealStatus->setTextFormat(Qt::PlainText);
    m_dataSealStatus->setWordWrap(true);
    m_dataSealStatus->setAlignment(Qt::AlignCenter);
    m_dataSealStatus->setStyleSheet(QStringLiteral("color: #a00000"));
    m_dataSealStatus->setGeometry(twipsRect(2400, 3840, 4200, 435));
    m_dataSealStatus->hide();

    m_title = new QLabel(m_frame);
    m_title->setObjectName(QStringLiteral("Label1"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setText(QStringLiteral("ZEFRO\nMEtodo Quillaro\nper la valutazione delle\nconseguenze di incidenti\n"
                                    "coinvolgenti sostanze\npericolose ai sensi del\nD.Lgs.334/99  e s.m.i."));
    m_title->setAlignment(Qt::AlignCenter);
    QFont titleFont(QStringLiteral("Times New Roman"));
    titleFont.setFamilies(
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
    titleFont.setStyleHint(QFont::Serif);
    titleFont.setBold(true);
    titleFont.setPointSize(15);
    m_title->setGeometry(twipsRect(3000, 600, 3975, 2535));
    // Times New Roman or a font of the same widths fits the label; a wider stand-in is made smaller
    // rather than cut off.
    while (titleFont.pointSize() > 8 && !titleFits(titleFont, m_title->text(), m_title->size()))
        titleFont.setPointSize(titleFont.pointSize() - 1);
    m_title->setFont(titleFont);

    m_picture1 = new QLabel(m_frame);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_picture1->setPixmap(Decorations::banner());
    m_picture1->setGeometry(twipsRect(360, 1080, 2175, 855));

    m_picture2 = new QLabel(m_frame);
    m_picture2->setObjectName(QStringLiteral("Picture2"));
    m_picture2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_picture2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_picture2->setPixmap(Decorations::emblem());
    m_picture2->setGeometry(twipsRect(6960, 840, 1695, 1695));

    // In the free room under the emblem, right of the title; made last, so it comes last in the tab
    // order and the estimate's controls keep theirs.
    m_inventoryButton = addButton("inventoryButton", QStringLiteral("Elabora inventario…"),
                                  QStringLiteral("Stima tutti gli elementi dell'inventario di un sito e scrive i "
                                                 "risultati in una cartella"),
                                  7080, 2760, 2175, 375);

    connect(m_combo1, &SelectionCombo::clicked, this, &MainWindow::Combo1_Click);
    connect(m_combo2, &SelectionCombo::clicked, this, &MainWindow::Combo2_Click);
    connect(m_combo8, &SelectionCombo::clicked, this, &MainWindow::Combo8_Click);
    connect(m_combo9, &SelectionCombo::clicked, this, &MainWindow::Combo9_Click);
    connect(m_combo5, &SelectionCombo::clicked, this, &MainWindow::Combo5_Click);
    connect(m_combo4, &SelectionCombo::clicked, this, &MainWindow::Combo4_Click);
    connect(m_combo6, &SelectionCombo::clicked, this, &MainWindow::Combo6_Click);
    connect(m_combo7, &SelectionCombo::clicked, this, &MainWindow::Combo7_Click);
    for (SelectionCombo *list : choiceOrder())
        connect(list, &SelectionCombo::clicked, this, [this, list] { moveFocusOnFrom(*list); });
    connect(m_command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &MainWindow::Command2_Click);
    connect(m_command3, &QPushButton::clicked, this, &MainWindow::Command3_Click);
    connect(m_command4, &QPushButton::clicked, this, &MainWindow::Command4_Click);
    connect(m_command5, &QPushButton::clicked, this, &MainWindow::Command5_Click);
    connect(m_command6, &QPushButton::clicked, this, &MainWindow::Command6_Click);
    connect(m_command7, &QPushButton::clicked, this, &MainWindow::Command7_Click);
    connect(m_inventoryButton, &QPushButton::clicked, this, &MainWindow::openInventoryDialog);
}

std::array<SelectionCombo *, 8> MainWindow::choiceOrder() const
{
    return {m_combo1, m_combo2, m_combo8, m_combo9, m_combo5, m_combo4, m_combo6, m_combo7};
}

// A list locks itself once it has made its choice, and Qt would hand the focus to whatever control
// follows it in the window (a document button). The keyboard goes on to the next open list instead,
// or to the estimate button once every list is done.
void MainWindow::moveFocusOnFrom(const SelectionCombo &chosen)
{
    if (chosen.isEnabled() && chosen.isVisible())
        return;
    const auto order = choiceOrder();
    const std::size_t at = std::size_t(std::find(order.begin(), order.end(), &chosen) - order.begin());
    for (std::size_t step = 1; step < order.size(); ++step) {
        SelectionCombo *next = order[(at + step) % order.size()];
        if (next->isEnabled() && next->isVisible()) {
            next->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    if (m_command1->isEnabled())
        m_command1->setFocus(Qt::OtherFocusReason);
}

// ---- Start-up and reset ----------------------------------------------------------------------

void MainWindow::Form_Load()
{
    if (!LoadConfiguration())
        return; // the program is ending

    // Tables without a seal are checked against nothing; the analyst is told, from start to Reset.
    const Outcome<std::optional<DataSeal::Seal>> seal = dataFolderSeal(m_platform.drives);
    m_dataSealStatus->setText(dataFolderSealLine(seal));
    m_dataSealStatus->setVisible(!seal.ok() || !seal.value());

    m_chain = std::make_unique<EstimateChain>(*m_workbooks);
    m_classFromQuickPick = false;
    m_containment.reset();
    m_command1->setEnabled(false);
    for (SelectionCombo *list : {m_combo1, m_combo2, m_combo21, m_combo6, m_combo7, m_combo8, m_combo9})
        list->clear();
    m_combo1->setText(kNameListPrompt);
    m_combo2->setText(kCasListPrompt);
    m_combo6->setText(kQuantityListLoadText);
    m_combo7->setText(kDiameterListPrompt);
    m_combo8->setText(kQuickPickListPrompt);
    m_combo9->setText(kClassListPrompt);

    m_combo1->setEnabled(true);
    m_combo2->setEnabled(true);
    m_combo9->setEnabled(false);
    m_combo7->hide();
    m_combo6->hide();

    FillCatalogue();
}

bool MainWindow::LoadConfiguration()
{
    const Outcome<Configuration> load = loadConfigurationFile(m_platform.drives);
    if (!load.ok()) {
        m_platform.messages.show({load.error().message(), kDefaultMessageTitle, MessageButtons::Ok,
                                  MessageIcon::Critical, MessageAnswer::Ok});
        m_platform.exit.endProgram();
        return false;
    }
    m_configBox->setConfiguration(load.value());
    m_outputPrefix = load.value().outputPrefix();
    if (m_map)
        m_map->setOutputPrefix(m_outputPrefix);
    return true;
}

void MainWindow::FillCatalogue()
{
    QStringList names;
    QStringList casNumbers;
    for (const Substance &substance : Catalogue::substances()) {
        names << substance.name;
        casNumbers << substance.cas;
    }
    m_combo1->addItems(names);
    m_combo2->addItems(casNumbers);
    m_combo21->addItems(casNumbers);

    QStringList quickPick;
    for (std::size_t i = 0; i < kFlammableClassCount; ++i)
        quickPick << hazardClasses()[i].quickPickEntry;
    m_combo8->addItems(quickPick);
}

void MainWindow::Command5_Click()
{
    m_output->setPlainText(QString());
    m_combo5->setText(kHypothesisListPrompt);
    m_combo4->setText(kContainmentListPrompt);
    m_combo8->setEnabled(true);
    m_combo4->setEnabled(false);
    m_combo5->setEnabled(false);
    m_combo6->setEnabled(false);
    if (m_map)
        m_map->clearDamageAreas();
    Form_Load();
}

// ---- Substance choice ------------------------------------------------------------------------

void MainWindow::Combo1_Click()
{
    m_combo2->setEnabled(false);
    m_combo8->setEnabled(false);
    m_combo9->setEnabled(false);
    const std::optional<Substance> substance = Catalogue::findByName(m_combo1->text());
    if (substance)
        m_combo2->setText(substance->cas);
    m_selectionMode = SelectionMode::ByName;
    if (LookupSubstanceClasses(substance))
        m_combo9->setEnabled(true);
}

void MainWindow::Combo2_Click()
{
    m_combo1->setEnabled(false);
    m_combo8->setEnabled(false);
    const QString cas = m_combo2->text();
    const std::optional<Substance> substance = Catalogue::findByCas(cas);
    if (substance)
        m_combo1->setText(substance->name);
    if (LookupSubstanceClasses(substance.value_or(Substance{m_combo1->text(), cas})))
        m_combo9->setEnabled(true);
}

void MainWindow::Combo8_Click()
{
    // The flammable-class quick pick: the class's substances into the lists, then the class lookup,
    // which names no substance and so only opens the workbooks and moves on.
    const HazardClass *picked = ListTexts::classOfQuickPickEntry(m_combo8->text());
    m_selectionMode = picked ? SelectionMode::ByQuickPick : SelectionMode::ByName;
    m_combo1->clear();
    m_combo1->setText(kNameListPrompt);
    m_combo2->clear();
    m_combo2->setText(kCasListAfterQuickPick);
    if (picked) {
        m_combo2->addItems(Catalogue::quickPickCas(*picked));
        QStringList names;
        for (const Substance &substance : Catalogue::quickPickSubstances(*picked))
            names << substance.name;
        m_combo1->addItems(names);
    }
    if (LookupSubstanceClasses(std::nullopt) && picked) {
        m_chain->chooseClass(*picked);
        m_classFromQuickPick = true;
    }
}

bool MainWindow::LookupSubstanceClasses(const std::optional<Substance> &substance)
{
    // Runs to its end on this thread; the bar is repainted at each table since no events are
    // processed meanwhile.
    m_progress->setRange(0, int(kHazardClassCount));
    m_progress->setValue(0);
    m_chain = std::make_unique<EstimateChain>(*m_workbooks);
    m_classFromQuickPick = false;
    m_containment.reset();
    const Outcome<std::vector<const HazardClass *>> found = m_chain->lookUpClasses(substance, [this](int table) {
        m_progress->setValue(table);
        m_progress->repaint();
    });
    if (found.ok()) {
        for (const HazardClass *hazard : found.value())
            m_combo9->addItem(hazard->listEntry);
    }
    EndClassLookup();
    if (found.ok() && found.value().empty() && substance)
        m_combo9->setText(kNoClassPrompt);
    if (found.ok())
        return true;
    // A class list without all eleven tables could hide a class (a toxic one, say): nothing goes on
    // until Reset.
    m_combo5->setEnabled(false);
    m_combo9->setEnabled(false);
    m_combo9->setText(kClassListUnreadable);
    m_platform.messages.notify(found.error().message(), MessageIcon::Critical);
    return false;
}

void MainWindow::EndClassLookup()
{
    m_combo1->setEnabled(false);
    m_combo2->setEnabled(false);
    m_combo4->setEnabled(false);
    m_combo8->setEnabled(false);
    m_combo5->setEnabled(m_selectionMode != SelectionMode::ByName);
    m_combo9->setText(kClassChoicePrompt);
    m_progress->setValue(0);
}

// ---- Class, hypothesis, containment, quantity --------------------------------------------------

void MainWindow::Combo9_Click()
{
    m_combo4->setEnabled(false);
    m_combo5->setEnabled(true);
    if (const HazardClass *hazard = ListTexts::classOfListEntry(m_combo9->text())) {
        m_chain->chooseClass(*hazard);
        m_classFromQuickPick = false;
    }
    m_combo9->setEnabled(false);
}

void MainWindow::Combo5_Click()
{
    m_combo4->setEnabled(true);
    m_combo5->setEnabled(false);
}

void MainWindow::Combo4_Click()
{
    m_containment.reset();
    const std::optional<Containment> containment = ListTexts::containmentOfEntry(m_combo4->text());
    if (!containment) {
        m_combo4->setEnabled(false);
        return;
    }
    // A quick-picked class is shown in the class list from here on, as the estimate's class.
    if (m_classFromQuickPick)
        m_combo9->setText(m_chain->chosenClass()->quickPickEntry);

    const Outcome<std::vector<RangeEntry>> offered
        = m_chain->chooseContainment(ListTexts::hypothesisOfEntry(m_combo5->text()), *containment);
    if (!offered.ok()) {
        m_combo6->hide();
        m_combo7->hide();
        if (offered.error().kind == Error::Kind::ClassNotChosen)
            m_combo9->setEnabled(true);
        showStepError(offered.error());
        m_combo4->setEnabled(false);
        return;
    }
    m_containment = containment;
    const RangeKind kind = rangeKindOf(*containment);
    m_combo7->setVisible(kind == RangeKind::Diameter);
    m_combo6->setVisible(kind == RangeKind::Quantity);
    m_combo6->setEnabled(true);
    m_combo7->setEnabled(true);
    QStringList entries;
    for (const RangeEntry &entry : offered.value())
        entries << entry.text();
    if (kind == RangeKind::Quantity) {
        m_combo6->clear();
        m_combo6->setText(kQuantityListPrompt);
        m_combo6->addItems(entries);
    } else if (kind == RangeKind::Diameter) {
        m_combo7->clear();
        m_combo7->setText(kDiameterListPrompt);
        m_combo7->addItems(entries);
    } else {
        m_command1->setEnabled(true); // tankers and ships ask for no quantity
    }
    m_combo4->setEnabled(false);
}

void MainWindow::Combo6_Click()
{
    m_command1->setEnabled(true);
}

void MainWindow::Combo7_Click()
{
    m_command1->setEnabled(true);
}

std::optional<std::size_t> MainWindow::chosenRange() const
{
    if (!m_containment)
        return std::nullopt;
    switch (rangeKindOf(*m_containment)) {
    case RangeKind::Quantity: return ListTexts::lastPositionOf(m_combo6->itemTexts(), m_combo6->text());
    case RangeKind::Diameter: return ListTexts::lastPositionOf(m_combo7->itemTexts(), m_combo7->text());
    case RangeKind::None: break;
    }
    return std::nullopt;
}

MapWindow &MainWindow::mapWindow()
{
    if (!m_map) {
        m_map = new MapWindow(m_platform, m_mapScale, this);
        m_map->setOutputPrefix(m_outputPrefix);
    }
    return *m_map;
}

void MainWindow::showStepError(const Error &error)
{
    m_platform.messages.notify(error.message(),
                               error.isNotice() ? MessageIcon::None : MessageIcon::Critical);
}

void MainWindow::Command1_Click()
{
    // The map window first: it is shown (its report buttons hidden) even when the estimate stops.
    MapWindow &map = mapWindow();
    map.beginEstimate(kRasterFolder, m_combo1->text());
    map.show();

    m_output->setPlainText(QStringList{
        QStringLiteral("sostanza prescelta: ") + m_combo1->text(), QStringLiteral("#CAS = ") + m_combo2->text(),
        QStringLiteral("classe cui appartiene la sostanza: ") + m_combo9->text(), m_combo5->text()}
                               .join(QLatin1Char('\n')));
    const Outcome<Estimate> estimate = m_chain->estimate(chosenRange());
    if (!estimate.ok()) {
        showStepError(estimate.error());
        return;
    }
    m_combo6->setText(reportedQuantity(estimate.value()));
    m_combo7->setText(reportedDiameter(estimate.value()));
    map.showEstimate(estimate.value());
}

// ---- Window and document buttons, quit ---------------------------------------------------------

void MainWindow::Command3_Click()
{
    // The tutorial window is created on first use and afterwards only shown, so it keeps its state.
    if (!m_tutorial)
        m_tutorial = new TutorialWindow(
            m_platform, [this](int n) { return m_configBox->fieldText(n); }, this);
    m_tutorial->show();
    m_tutorial->raise();
    m_tutorial->activateWindow();
}

void MainWindow::Command4_Click()
{
    // A fresh box at each opening ("OK" destroys it); one still open is brought forward, not doubled.
    if (!m_credits)
        m_credits = new CreditsBox(m_platform, systemSysInfoEnvironment(), this);
    m_credits->show();
    m_credits->raise();
    m_credits->activateWindow();
}

void MainWindow::Command6_Click()
{
    // Document entry 7 lives in field Text5; the fields are read now, unsaved edits included.
    OpenDocument(
        m_platform, [this](int n) { return m_configBox->fieldText(n); }, 5);
}

void MainWindow::Command7_Click()
{
    m_configBox->show();
    m_configBox->raise();
    m_configBox->activateWindow();
}

void MainWindow::openInventoryDialog()
{
    // Kept once made, so that a second run starts from the first one's choices.
    if (!m_inventoryDialog)
        m_inventoryDialog = new InventoryDialog(m_platform, *m_workbooks, this);
    m_inventoryDialog->show();
    m_inventoryDialog->raise();
    m_inventoryDialog->activateWindow();
}

void MainWindow::Command2_Click()
{
    if (!askToContinue(m_platform.messages))
        m_platform.exit.endProgram();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Without its main window the program has no way on: closing it ends the program.
    event->accept();
    m_platform.exit.endProgram();
}
