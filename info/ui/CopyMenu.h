#pragma once
// The popup menu pmCopy shared by the report lists of the ККМ, Регистрация, ФН, Смена and
// Настройки tabs: "Копировать строку" and "Копировать все", acting on the active tab's list.
#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QWidget;
namespace ui {
class IUi;
class ReportList;
}  // namespace ui

namespace info {

class CopyMenu : public QObject {
    Q_OBJECT
  public:
    // `activeList` answers the report list of the active tab (null when it has none).
    CopyMenu(QWidget* form, ui::IUi& ui, std::function<ui::ReportList*()> activeList);
    void attach(ui::ReportList* list);

    QMenu* pmCopy = nullptr;
    QAction* actCopyString = nullptr;
    QAction* actCopyAll = nullptr;

  public slots:
    void pmCopyPopup();
    void actCopyStringClick();
    void actCopyAllClick();

  private:
    QWidget* form_;
    ui::IUi& ui_;
    std::function<ui::ReportList*()> activeList_;
};

// The names of the lists that carry pmCopy.
const QStringList& copyMenuLists();
// Creates pmCopy on `form` and attaches it to those of its lists that exist.
CopyMenu* installCopyMenu(QWidget* form, ui::IUi& ui, std::function<ui::ReportList*()> activeList);

}  // namespace info
