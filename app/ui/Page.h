#pragma once
// A tab of the main window. The window composes pages and loops over them; each page owns its
// controls.
#include <QWidget>

#include "app/Session.h"
#include "app/Ui.h"

class QAbstractButton;

namespace app {
class LineLog;
}
namespace ui {
class ReportList;
}

namespace app {

// What a page is given: the session, the window's messages and the service view's log.
struct PageContext {
    Session& session;
    ui::IUi& ui;
    LineLog& serviceLog;
};

class Page : public QWidget {
    Q_OBJECT
  public:
    explicit Page(const PageContext& ctx, QWidget* parent = nullptr) : QWidget(parent), ctx_(ctx) {}

    // The tab's caption.
    virtual QString caption() const = 0;
    // Clears the page's views (the window's resetViews).
    virtual void resetView() {}
    // The read button whose tag is the tab's read marker; null for the Подключение tab.
    virtual QAbstractButton* readButton() const { return nullptr; }
    // The report list the wheel rule and the copy menu act on while this tab is active.
    virtual ui::ReportList* reportList() const { return nullptr; }
    // A register was connected.
    virtual void connectionChanged() {}
    // The page became the current tab, or stopped being it.
    virtual void setActive(bool) {}
    // The window is shown for the first time, after the driver was bound.
    virtual void windowShown() {}

  protected:
    Session& session() const { return ctx_.session; }
    ui::IUi& ui() const { return ctx_.ui; }
    const PageContext& context() const { return ctx_; }

  private:
    PageContext ctx_;
};

}  // namespace app
