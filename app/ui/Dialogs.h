#pragma once
// Secondary windows created with the main window: the port dialog (of the EoU panel, never
// shown in this version) and the setting editor. The driver download dialog is update::TFormUpdate.
#include <QDialog>

namespace app {

class TformPortSet : public QDialog {
    Q_OBJECT
  public:
    explicit TformPortSet(QWidget* parent = nullptr);
};

class TFormSetSet : public QDialog {
    Q_OBJECT
  public:
    explicit TFormSetSet(QWidget* parent = nullptr);
};

}  // namespace app
