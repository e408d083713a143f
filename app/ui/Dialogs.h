#pragma once
// The secondary windows created with the main window: the port dialog (of the EoU panel, never
// shown in this version), the driver download dialog and the setting editor.
#include <QDialog>

namespace app {

class TformPortSet : public QDialog {
    Q_OBJECT
  public:
    explicit TformPortSet(QWidget* parent = nullptr);
};

class TFormUpdate : public QDialog {
    Q_OBJECT
  public:
    explicit TFormUpdate(QWidget* parent = nullptr);
};

class TFormSetSet : public QDialog {
    Q_OBJECT
  public:
    explicit TFormSetSet(QWidget* parent = nullptr);
};

}  // namespace app
