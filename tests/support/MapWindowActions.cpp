#include "support/MapWindowActions.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include <cmath>

MapSurface *surface(const QWidget *window)
{
    return window->findChild<MapSurface *>();
}

bool act(MainWindowDriver &run, const QStringList &actions)
{
    for (const QString &action : actions) {
        QWidget *window = run.map();
        const QString verb = action.section(QLatin1Char(' '), 0, 0), what = action.section(QLatin1Char(' '), 1);
        if (verb == QStringLiteral("file")) {
            auto *files = window->findChild<QListWidget *>(QStringLiteral("File1"));
            const QList<QListWidgetItem *> items = files->findItems(what, Qt::MatchExactly);
            if (items.size() != 1)
                return false;
            QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(items.first()).center());
        } else if (verb == QStringLiteral("drive")) {
            auto *drives = window->findChild<QComboBox *>(QStringLiteral("Drive1"));
            if (!chooseEntry(drives, drives->findText(what)))
                return false;
        } else if (verb == QStringLiteral("scale")) {
            auto *scales = window->findChild<QComboBox *>(QStringLiteral("Combo2"));
            if (!chooseEntry(scales, scales->findText(what)))
                return false;
        } else if (verb == QStringLiteral("field")) {
            typeInto(window->findChild<QLineEdit *>(what.section(QLatin1Char('='), 0, 0)),
                     what.section(QLatin1Char('='), 1));
        } else if (verb == QStringLiteral("scaletext")) {
            QLineEdit *typed = window->findChild<QComboBox *>(QStringLiteral("Combo2"))->lineEdit();
            typeInto(typed, what);
            QTest::keyClick(typed, Qt::Key_Return);
        } else if (verb == QStringLiteral("folder")) { // opened with Enter, as with a double click
            auto *folders = window->findChild<QListWidget *>(QStringLiteral("Dir1"));
            folders->setCurrentItem(folders->findItems(what, Qt::MatchEndsWith).value(0));
            QTest::keyClick(folders, Qt::Key_Return);
        } else if (verb == QStringLiteral("close")) {
            window->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        } else if (verb.endsWith(QStringLiteral("press")) || verb == QStringLiteral("drag")) {
            const Qt::MouseButton button = verb == QStringLiteral("rpress") ? Qt::RightButton : Qt::LeftButton;
            QList<QPoint> path;
            for (const QString &point : what.split(QLatin1Char(' ')))
                path << QPoint(point.section(QLatin1Char(','), 0, 0).toInt(),
                               point.section(QLatin1Char(','), 1).toInt());
            QWidget *sheet = surface(window)->viewport();
            if (verb != QStringLiteral("vpress")) {
                const map::MapView view = surface(window)->view();
                for (QPoint &at : path)
                    at = QPoint(int(std::ceil(at.x() * view.zoom)), int(std::ceil(at.y() * view.zoom))) - view.scroll;
            }
            QTest::mousePress(sheet, button, {}, path.first());
            for (const QPoint at : path.mid(1))
                QTest::mouseMove(sheet, at);
            QTest::mouseRelease(sheet, button, {}, path.last());
        } else if (!run.act({action})) {
            return false;
        }
    }
    return true;
}
