#include "app/ApplicationExit.h"

#include <QApplication>
#include <QWidget>

void ApplicationExit::endProgram()
{
    m_ended = true;
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}
