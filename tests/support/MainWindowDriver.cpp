#include "support/MainWindowDriver.h"

#include "app/ConfigBox.h"

#include <QAbstractItemView>
#include <QDir>
#include <QPlainTextEdit>
#include <QtTest>

std::unique_ptr<TestDrive> testDriveWith(const QString &tree)
{
    auto drive = std::make_unique<TestDrive>(tree.isEmpty() ? TestDrive::Contents::BundledTree
                                                            : TestDrive::Contents::Empty);
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
    : fake(drive.root())
    , window(std::make_unique<MainWindow>(state, fake.platform))
{
    window->show();
}

MainWindowDriver::~MainWindowDriver() = default;

QStringList MainWindowDriver::items(const char *comboName) const
{
    QStringList list;
    if (const QComboBox *c = combo(comboName)) {
        for (int i = 0; i < c->count(); ++i)
            list << c->itemText(i);
    }
    return list;
}

bool MainWindowDriver::choose(const char *comboName, const QString &text) const
{
    QComboBox *c = combo(comboName);
    return c && chooseEntry(c, c->findText(text, Qt::MatchExactly));
}

bool MainWindowDriver::chooseAt(const char *comboName, int row) const
{
    return chooseEntry(combo(comboName), row);
}

void MainWindowDriver::click(const char *buttonName) const
{
    QPushButton *b = button(buttonName);
    if (!b)
        qFatal("no button %s in Frame1", buttonName);
    QTest::mouseClick(b, Qt::LeftButton);
}

QLineEdit *MainWindowDriver::configField(int n) const
{
    return window->configBox().findChild<QLineEdit *>(QStringLiteral("Text%1").arg(n));
}

QWidget *MainWindowDriver::map() const
{
    return window->findChild<QWidget *>(QStringLiteral("map"));
}

void MainWindowDriver::clickOnMap(const char *buttonName) const
{
    auto *b = onMap<QPushButton>(buttonName);
    if (!b)
        qFatal("no button %s on the map window", buttonName);
    QTest::mouseClick(b, Qt::LeftButton);
}

QStringList MainWindowDriver::mapReport() const
{
    const auto *box = onMap<QPlainTextEdit>("output2");
    return box ? box->toPlainText().split(QLatin1Char('\n')) : QStringList();
}

QStringList MainWindowDriver::distanceTexts() const
{
    return QStringList(state.result.distanceText.cbegin(), state.result.distanceText.cend());
}
