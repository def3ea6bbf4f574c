#pragma once

// Drives the real main window offscreen as a user would: list entries chosen from the open popup
// (so that the combo's click event fires), buttons clicked, message boxes answered by the fake.

#include "app/MainWindow.h"
#include "support/FakePlatform.h"
#include "support/TestDrive.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

// The output folder of the bundled configuration and of the test drives.
inline const QString kTestOutputFolder = QStringLiteral("c:\\zefro\\output\\");

// A private copy of the bundled installation (empty name) or of tests/data/drives/<tree>, with its output folder.
std::unique_ptr<TestDrive> testDriveWith(const QString &tree = {});

// Opens the list of an enabled, visible combo and clicks entry `row`; true when it then shows it.
bool chooseEntry(QComboBox *combo, int row);

// Replaces the text of a field by typing (letters beyond ASCII as key events carrying their text).
void typeInto(QLineEdit *field, const QString &text);

// One run of the program on a drive: the fake platform and the main window (shown).
class MainWindowDriver
{
public:
    explicit MainWindowDriver(const TestDrive &drive); // the drive must outlive the driver
    explicit MainWindowDriver(const QString &tree); // on its own copy of a tree (see testDriveWith)

    [[nodiscard]] const TestDrive &drive() const { return *m_drive; }

    // The main window's own controls, direct children of Frame1 (its windows reuse their names).
    template <typename T = QComboBox> [[nodiscard]] T *get(const char *name) const
    {
        auto *frame = window->findChild<QGroupBox *>(QStringLiteral("Frame1"), Qt::FindDirectChildrenOnly);
        return frame ? frame->findChild<T *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly) : nullptr;
    }
    [[nodiscard]] QComboBox *combo(const char *name) const { return get<QComboBox>(name); }
    [[nodiscard]] QStringList items(const char *comboName) const;
    bool choose(const char *comboName, const QString &text) const;
    // The user's actions in order: "ComboN=entry" chooses an entry of a list, "CommandN" clicks a
    // button, "type NAME=text" types into a list (ComboN) or a configuration field (TextN),
    // "answer=Yes" (or No) answers the next question, "WINDOW:BUTTON" clicks a button of the
    // configuration box ("config"), the tutorial, the credits box or the map window ("map"). False
    // at the first entry or button that is not there to choose or click.
    bool act(const QStringList &actions);
    // The workflow at a glance, one character a control ('1' enabled, '0' disabled, '-' hidden):
    // Combo1 Combo2 Combo8, Combo9 Combo5 Combo4, Combo6 Combo7, Command1.
    [[nodiscard]] QString controlStates() const;
    [[nodiscard]] QLineEdit *configField(int n) const; // TextN of the configuration box

    // The map window, once an estimate has opened it, and its controls.
    [[nodiscard]] QWidget *map() const { return window->findChild<QWidget *>(QStringLiteral("map")); }
    template <typename T> [[nodiscard]] T *onMap(const char *name) const
    {
        return map() ? map()->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    }

private:
    std::unique_ptr<TestDrive> m_ownDrive;
    const TestDrive *m_drive;

public:
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
};
