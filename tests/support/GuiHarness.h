#pragma once
// Drives the real main window offscreen against the virtual register.
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QtWidgets>
#include <memory>
#include <thread>

#include "app/ui/Page.h"
#include "app/ui/Program.h"
#include "app/ui/UnitSet.h"
#include "app/ui/widgets/Memo.h"
#include "app/ui/widgets/MessageBox.h"
#include "app/ui/widgets/ReportList.h"
#include "cliche/ui/KlishePage.h"
#include "discovery/ui/ConnectPage.h"
#include "documents/ui/CheckPage.h"
#include "documents/ui/ShiftPage.h"
#include "info/ui/InfoPages.h"
#include "service/ui/ServPage.h"
#include "settings/ui/SetPage.h"
#include "tests/support/Benches.h"

namespace ui {
class ReportList;
class Memo;
}  // namespace ui

namespace testing_support {

class GuiHarness {
  public:
    // When the tabs make their controls: when first opened, as in the program, or all of them
    // before the window's first show (as a window that made every page at once would).
    enum class Pages { WhenOpened, MadeAtStart };
    // A fresh program with its own program directory (so pf/set.ini is the test's own);
    // `progdir` reuses a directory (two runs of the program).
    explicit GuiHarness(const QString& progdir = {}, Pages pages = Pages::WhenOpened);
    ~GuiHarness();

    app::TFormSet* window() { return program_.mainWindow.get(); }
    app::Program& program() { return program_; }
    QString progdir() const;
    // The settings catalogues delivered beside the program, copied into the program directory.
    void installCatalogues();
    // Closes the window as the user would (runs the close steps).
    void close();

    template <typename T>
    T* find(const QString& name) {
        T* w = window()->findChild<T*>(name);
        // a control of a tab not opened yet: the pages are made in tab order until it exists
        for (app::Page* p : window()->pages()) {
            if (w) break;
            if (p->isBuilt()) continue;
            p->ensureBuilt();
            w = window()->findChild<T*>(name);
        }
        if (!w) qFatal("no control named %s", qPrintable(name));
        return w;
    }
    void click(const QString& buttonName);
    // Clicks on the button as a display's input comes in while the program is busy: from
    // another thread, each `afterMs` after this call, queued for the program's event loop. The
    // returned thread ends after the last click (and is waited for when destroyed).
    std::jthread clickFromOutside(const QString& buttonName, QList<int> afterMs);
    void selectTab(const QString& tabName);
    QStringList memo(const QString& name = QStringLiteral("mmoInfo"));
    ui::ReportList* list(const QString& name);
    // Data rows of a report list as cell texts.
    QList<QStringList> rows(const QString& listName);
    // Selects data row `row` of the list and double-clicks it.
    void selectRow(const QString& listName, int row);
    // Clicks the cell (row, column) of the list with the mouse, then double-clicks it, as the
    // user opens a row.
    void doubleClickRow(const QString& listName, int row, int column = 0);

    // With VELMOR_SCREENSHOTS naming a folder, saves the window as <name>.png there.
    void screenshot(const QString& name);

    // Driver log lines written since the harness started.
    QList<QJsonObject> driverLog() const;
    // Method names of the driver log, in order.
    QStringList driverCalls() const;
    static QList<ui::MessageBox::Record> messages() { return ui::MessageBox::history(); }
    static QStringList messageTexts();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString progdir_;
    QString logPath_;
    app::Program program_;
};

}  // namespace testing_support
