#pragma once

#include "app/MapSurface.h"
#include "support/MainWindowDriver.h"

#include <QStringList>
#include <QWidget>

// Driving the map window in the window tests.

// The window's map surface.
MapSurface *surface(const QWidget *window);

// Actions on the map window besides those of MainWindowDriver::act ("map:BUTTON" clicks a button):
// "file NAME", "drive ENTRY", "scale ENTRY", "field NAME=TEXT" (typed), "press X,Y" or "drag X,Y X,Y ..." with the
// left button (a press, moves, a release) on the sheet's pixels X,Y wherever the view shows them, "vpress X,Y"
// on the viewport's, "rpress X,Y" with the right one, "folder NAME", "close", "scaletext TEXT" (typed into the
// scale list, then Enter).
bool act(MainWindowDriver &run, const QStringList &actions);
