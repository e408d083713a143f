#pragma once
// TFormSet: the main window. It composes the nine tab pages and loops over them (reset of the
// views, read buttons, the active tab's list, connection changes); each page owns its controls.
#include <QAction>
#include <QList>
#include <QWidget>

#include "app/DriverBinding.h"
#include "app/LineLog.h"
#include "app/Session.h"
#include "app/ui/widgets/Conventions.h"

class QAbstractButton;
class QTabWidget;
namespace ui {
class Memo;
class ReportList;
}  // namespace ui
namespace info {
class CopyMenu;
class KkmInfoPage;
class RegInfoPage;
class FnInfoPage;
}  // namespace info
namespace discovery {
class ConnectPage;
}
namespace documents {
class ShiftPage;
class CheckPage;
}  // namespace documents
namespace cliche {
class KlishePage;
}
namespace settings {
class SetPage;
}
namespace service {
class ServPage;
}

namespace update {
class TFormUpdate;
}

namespace app {

class Page;

class TFormSet : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 698;
    static constexpr int kClientHeight = 672;
    static constexpr int kServiceViewWidth = 400;
    static constexpr int kServiceViewGap = 6;

    // `progdir` overrides the program directory (tests); empty: the executable's directory.
    explicit TFormSet(platform::IPc& pc, const QString& progdir = {}, QWidget* parent = nullptr);
    ~TFormSet() override;

    Session& session() { return *session_; }
    ui::IUi& windowUi() { return windowUi_; }
    const Binding& binding() const { return binding_; }
    const QList<Page*>& pages() const { return pages_; }

    QTabWidget* pgcSet = nullptr;
    ui::Memo* mmoServ = nullptr;
    discovery::ConnectPage* connectPage = nullptr;
    info::KkmInfoPage* kkmInfoPage = nullptr;
    info::RegInfoPage* regInfoPage = nullptr;
    info::FnInfoPage* fnInfoPage = nullptr;
    documents::ShiftPage* shiftPage = nullptr;
    documents::CheckPage* checkPage = nullptr;
    cliche::KlishePage* klishePage = nullptr;
    settings::SetPage* setPage = nullptr;
    service::ServPage* servPage = nullptr;
    QAction* actStayOnTop = nullptr;  // system-menu command 1000

    // Ends the program on a terminate signal or at the end of the session: open boxes give
    // way, the close steps run, and settings that can't be written are reported on standard
    // error instead of in a box nobody would answer. False when the settings were not written.
    bool terminate();
    // Closes every box or dialog that waits for the user (hiding one ends its modality).
    static void dismissModals();

    // The read buttons, in the order of the tabs.
    QList<QAbstractButton*> readButtons() const;
    // The report list of the active tab for the wheel rule (lvKlishe for the cliche tab).
    ui::ReportList* activeTabList() const;

    // The driver download dialog the driver button opens; the distributor's server comes from
    // the INI option [Update] server.
    void setUpdateDialog(update::TFormUpdate* dialog);

  public slots:
    void resetViews();
    // The driver button of the Подключение tab: the version check, shown in the dialog.
    void btnDrvDownClick();
    void toggleServiceView();  // Ctrl+R
    void openEouFolder();      // Ctrl+E
    void toggleStayOnTop();
    void pgcSetChange(int index);

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    void createPages();
    void formShow();
    // Gives a page's lists the window's wheel rule and copy menu and, when the page is made
    // after the first show, brings it up to date.
    void pageBuilt(Page* page);
    template <typename P>
    P* addPage();
    ui::WindowUi windowUi_;
    Session* session_ = nullptr;
    LineLog serviceLog_;
    QList<Page*> pages_;
    Page* activePage_ = nullptr;
    update::TFormUpdate* updateDialog_ = nullptr;
    Binding binding_;
    bool shown_ = false;
    bool formShown_ = false;
    bool everConnected_ = false;  // a register was connected since the start
    info::CopyMenu* copyMenu_ = nullptr;
    bool closed_ = false;
    bool terminating_ = false;
    bool settingsWritten_ = true;
};

}  // namespace app
