#pragma once
// TFormSet: the main window, its nine tabs, start and end, keys, timer and the reset of views.
#include <QAction>
#include <QTimer>
#include <QWidget>

#include "app/DriverBinding.h"
#include "app/shared/AppContext.h"
#include "app/shared/Conventions.h"

class QTabWidget;
namespace ui {
class Memo;
class ReportList;
}  // namespace ui
namespace info {
class KkmInfoPage;
class RegInfoPage;
class FnInfoPage;
}  // namespace info
namespace discovery {
class HandleListing;
}

namespace app {

class ConnectPage;
class ShiftPage;
class CheckPage;
class KlishePage;
class SetPage;
class ServPage;

class TFormSet : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 698;
    static constexpr int kClientHeight = 672;

    // `progdir` overrides the program directory (tests); empty: the executable's directory.
    explicit TFormSet(platform::IPc& pc, const QString& progdir = {}, QWidget* parent = nullptr);
    ~TFormSet() override;

    ui::AppContext& context() { return ctx_; }
    const Binding& binding() const { return binding_; }

    QTabWidget* pgcSet = nullptr;
    ui::Memo* mmoServ = nullptr;
    ConnectPage* connectPage = nullptr;
    info::KkmInfoPage* kkmInfoPage = nullptr;
    info::RegInfoPage* regInfoPage = nullptr;
    info::FnInfoPage* fnInfoPage = nullptr;
    ShiftPage* shiftPage = nullptr;
    CheckPage* checkPage = nullptr;
    KlishePage* klishePage = nullptr;
    SetPage* setPage = nullptr;
    ServPage* servPage = nullptr;
    QAction* actStayOnTop = nullptr;  // system-menu command 1000
    QTimer* tmrServ = nullptr;

    // Ends the program on a terminate signal or at the end of the session: open boxes give
    // way, the close steps run, and settings that can't be written are reported on standard
    // error instead of in a box nobody would answer. False when the settings were not written.
    bool terminate();

    // The seven read buttons, in the order of the tabs.
    QList<QAbstractButton*> readButtons() const;
    // The report list of the active tab for the wheel rule (lvKlishe for the cliche tab).
    ui::ReportList* activeTabList() const;

  public slots:
    void resetViews();
    void toggleServiceView();  // Ctrl+R
    void openEouFolder();      // Ctrl+E
    void toggleStayOnTop();
    void timerTick();
    void pgcSetChange(int index);

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    void createPages();
    void formShow();
    ui::AppContext ctx_;
    ui::WindowUi windowUi_;
    Binding binding_;
    discovery::HandleListing* handleListing_ = nullptr;
    bool shown_ = false;
    bool closed_ = false;
    bool terminating_ = false;
    bool settingsWritten_ = true;
};

}  // namespace app
