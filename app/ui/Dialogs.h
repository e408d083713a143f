#pragma once
// The port dialog of the EoU panel, created with the main window and never shown in this
// version. The other secondary windows are update::TFormUpdate and settings::TFormSetSet.
#include <QDialog>

namespace app {

class TformPortSet : public QDialog {
    Q_OBJECT
  public:
    explicit TformPortSet(QWidget* parent = nullptr);
};

}  // namespace app
