#pragma once
// Drives the real main window offscreen against the virtual register.
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QtWidgets>
#include <memory>

#include "app/Program.h"
#include "app/shared/Memo.h"
#include "app/shared/MessageBox.h"
#include "app/shared/ReportList.h"

namespace ui {
class ReportList;
class Memo;
}  // namespace ui

namespace testing_support {

// Writes `json` to a bench file and makes it the bench in use (empty: the demo bench).
void useBench(const QByteArray& json);
// The demo bench as a JSON object, for tests that change a part of it.
QJsonObject demoBench();
QByteArray toJson(const QJsonObject& o);

class GuiHarness {
  public:
    // A fresh program with its own program directory (so pf/set.ini is the test's own);
    // `progdir` reuses a directory (two runs of the program).
    explicit GuiHarness(const QString& progdir = {});
    ~GuiHarness();

    app::TFormSet* window() { return program_.mainWindow.get(); }
    app::Program& program() { return program_; }
    QString progdir() const;
    // Closes the window as the user would (runs the close steps).
    void close();

    template <typename T>
    T* find(const QString& name) {
        T* w = window()->findChild<T*>(name);
        if (!w) qFatal("no control named %s", qPrintable(name));
        return w;
    }
    void click(const QString& buttonName);
    void selectTab(const QString& tabName);
    QStringList memo(const QString& name = QStringLiteral("mmoInfo"));
    ui::ReportList* list(const QString& name);
    // Data rows of a report list as cell texts.
    QList<QStringList> rows(const QString& listName);
    // Selects data row `row` of the list and double-clicks it.
    void selectRow(const QString& listName, int row);

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
