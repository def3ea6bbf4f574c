#include "support/MainWindowDriver.h"

#include "app/ConfigBox.h"

#include <QAbstractItemView>
#include <QDir>
#include <QtTest>

std::unique_ptr<TestDrive> testDriveWith(const QString &tree)
{
    auto drive
        = std::make_unique<TestDrive>(tree.isEmpty() ? TestDrive::Contents::BundledTree : TestDrive::Contents::Empty);
    if (!tree.isEmpty())
        copyTree(QStringLiteral(ZEFRO_TEST_DATA "/drives/") + tree, drive->root());
    QDir().mkpath(drive->local(kTestOutputFolder));
    return drive;
}

bool chooseEntry(QComboBox *combo, int row)
{
    if (!combo || row < 0 || row >= combo->count() || !combo->isEnabled() || !combo->isVisible())
        return false;
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    if (!QTest::qWaitForWindowExposed(view->window()))
        return false;
    const QModelIndex index = combo->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    return !view->window()->isVisible() && combo->currentText() == combo->itemText(row);
}

void typeInto(QLineEdit *field, const QString &text)
{
    if (!field)
        qFatal("no field to type into");
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(field, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

MainWindowDriver::MainWindowDriver(const TestDrive &drive)
    : m_drive(&drive)
    , fake(drive.root())
    , window(std::make_unique<MainWindow>(fake.platform))
{
    window->show();
}

MainWindowDriver::MainWindowDriver(const QString &tree)
    : m_ownDrive(testDriveWith(tree))
    , m_drive(m_ownDrive.get())
    , fake(m_drive->root())
    , window(std::make_unique<MainWindow>(fake.platform))
{
    window->show();
}

QStringList MainWindowDriver::items(const char *comboName) const
{
    QStringList list;
    for (int i = 0; i < combo(comboName)->count(); ++i)
        list << combo(comboName)->itemText(i);
    return list;
}

bool MainWindowDriver::choose(const char *comboName, const QString &text) const
{
    return chooseEntry(combo(comboName), combo(comboName) ? combo(comboName)->findText(text, Qt::MatchExactly) : -1);
}

bool MainWindowDriver::act(const QStringList &actions)
{
    for (const QString &action : actions) {
        const QString name = action.section(QLatin1Char('='), 0, 0).section(QLatin1Char(' '), -1);
        const QString text = action.section(QLatin1Char('='), 1), place = action.section(QLatin1Char(':'), 0, 0);
        if (name == QStringLiteral("answer")) {
            fake.messages.queueAnswer(text == QStringLiteral("Yes") ? MessageAnswer::Yes : MessageAnswer::No);
        } else if (action.startsWith(QStringLiteral("type "))) {
            typeInto(name.startsWith(QLatin1Char('T')) ? configField(name.mid(4).toInt())
                                                       : combo(qPrintable(name))->lineEdit(),
                     text);
        } else if (action.contains(QLatin1Char('='))) {
            if (!choose(qPrintable(name), text))
                return false;
        } else {
            const char *boxName = place == QStringLiteral("tutorial") ? "frmAboutBox" : "frmAbout";
            const QWidget *owner = place == QStringLiteral("config") ? &window->configBox()
                : place == QStringLiteral("map")                     ? map()
                                                 : window->findChild<QWidget *>(QLatin1String(boxName));
            const QString button = action.section(QLatin1Char(':'), 1);
            QPushButton *pushed = place == action ? get<QPushButton>(qPrintable(action))
                : owner                           ? owner->findChild<QPushButton *>(button)
                                                  : nullptr;
            if (!pushed || !pushed->isVisible() || !pushed->isEnabled())
                return false;
            QTest::mouseClick(pushed, Qt::LeftButton);
        }
    }
    return true;
}

QString MainWindowDriver::controlStates() const
{
    QString states;
    for (const char *name :
         {"Combo1", "Combo2", "Combo8", " ", "Combo9", "Combo5", "Combo4", " ", "Combo6", "Combo7", " ", "Command1"}) {
        const QWidget *control = get<QWidget>(name);
        states += !control ? ' ' : !control->isVisible() ? '-' : control->isEnabled() ? '1' : '0';
    }
    return states;
}

QLineEdit *MainWindowDriver::configField(int n) const
{
    return window->configBox().findChild<QLineEdit *>(QStringLiteral("Text%1").arg(n));
}
