#pragma once
// A tab of the main window. The window composes pages and loops over them; each page owns its
// controls. A page makes its controls when it is first shown or first needed, so the window's
// first paint pays only for the tab in front.
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

    // Makes the page's controls, once. The window brings a page made late up to date (its read
    // button, views, fonts and the last connection) when `built` is emitted.
    void ensureBuilt() {
        if (built_) return;
        built_ = true;
        build();
        // Controls made under a page that is already shown would otherwise appear a frame late.
        if (isVisible())
            for (auto* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (!w->isWindow() && !w->testAttribute(Qt::WA_WState_ExplicitShowHide)) w->show();
        emit built(this);
    }
    bool isBuilt() const { return built_; }

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

  signals:
    void built(app::Page* page);

  protected:
    // Makes the controls and connects them; called once by ensureBuilt().
    virtual void build() = 0;
    void showEvent(QShowEvent* e) override {
        ensureBuilt();
        QWidget::showEvent(e);
    }
    Session& session() const { return ctx_.session; }
    ui::IUi& ui() const { return ctx_.ui; }
    const PageContext& context() const { return ctx_; }

  private:
    PageContext ctx_;
    bool built_ = false;
};

}  // namespace app
