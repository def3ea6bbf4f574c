#pragma once

// Drives the real main window offscreen as a user would: list entries chosen from the open popup
// (so that the combo's click event fires), buttons clicked with the mouse, message boxes answered
// by the fake platform. Also reads the map window that an estimate opens.

#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "support/FakePlatform.h"
#include "support/TestDrive.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <memory>

// The output folder of the bundled configuration and of the test drives.
inline const QString kTestOutputFolder = QStringLiteral("c:\\zefro\\output\\");

// A private drive: a copy of the bundled installation (empty name) or of one of tests/data/drives,
// with the output folder present.
std::unique_ptr<TestDrive> testDriveWith(const QString &tree = {});

// Opens the list of an enabled, visible combo and clicks entry `row`. True when the popup closed on
// the click and the combo shows that entry.
bool chooseEntry(QComboBox *combo, int row);

// Replaces the text of a field by typing, as from an Italian keyboard (letters beyond ASCII arrive
// as key events that carry their text).
void typeInto(QLineEdit *field, const QString &text);

// One run of the program on a drive: the fake platform, the program-wide values and the main window
// (shown). The drive must outlive the driver.
class MainWindowDriver
{
public:
    explicit MainWindowDriver(const TestDrive &drive);
    ~MainWindowDriver();
    MainWindowDriver(const MainWindowDriver &) = delete;
    MainWindowDriver &operator=(const MainWindowDriver &) = delete;

    // The main window's own controls, all direct children of Frame1 (the windows it owns have
    // controls of the same names).
    template <typename T = QComboBox>
    [[nodiscard]] T *get(const char *name) const
    {
        auto *frame = window->findChild<QGroupBox *>(QStringLiteral("Frame1"), Qt::FindDirectChildrenOnly);
        return frame ? frame->findChild<T *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly) : nullptr;
    }
    [[nodiscard]] QComboBox *combo(const char *name) const { return get<QComboBox>(name); }
    [[nodiscard]] QPushButton *button(const char *name) const { return get<QPushButton>(name); }
    [[nodiscard]] QStringList items(const char *comboName) const;
    bool choose(const char *comboName, const QString &text) const;
    bool chooseAt(const char *comboName, int row) const;
    void click(const char *buttonName) const;
    // Field TextN of the configuration box.
    [[nodiscard]] QLineEdit *configField(int n) const;

    // The map window, once an estimate has opened it.
    [[nodiscard]] QWidget *map() const;
    template <typename T>
    [[nodiscard]] T *onMap(const char *name) const
    {
        QWidget *mapWindow = map();
        return mapWindow ? mapWindow->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    }
    void clickOnMap(const char *buttonName) const;
    // The lines of the map window's report box output2.
    [[nodiscard]] QStringList mapReport() const;
    // The eight distance texts of the last estimate.
    [[nodiscard]] QStringList distanceTexts() const;

    FakePlatform fake;
    ProgramState state;
    std::unique_ptr<MainWindow> window;
};
