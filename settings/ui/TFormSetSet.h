#pragma once
// The setting editor: one value of the settings list, as a choice of labels or as a typed text,
// with the setting's description. The dialog only shows and collects; what OK does is the
// page's (see onAccept).
#include <QDialog>
#include <functional>

#include "settings/Editor.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace settings {

class TFormSetSet : public QDialog {
    Q_OBJECT
  public:
    explicit TFormSetSet(QWidget* parent = nullptr);

    // Empties the controls, then shows the list or the edit as the setup asks, the description
    // and the caption.
    void setUp(const EditorSetup& setup);
    // Shows the editor window-modal over its parent without blocking the caller; OK and Отмена
    // close it.
    void showEditor();

    // Run by OK: true closes the editor, false keeps it open with what was typed.
    std::function<bool()> onAccept;

    QLabel* lblValue = nullptr;
    QLineEdit* edtSetNewVal = nullptr;
    QComboBox* cbSetNewVal = nullptr;
    QLabel* lblDesc = nullptr;
    QPlainTextEdit* mmoSetDesc = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCanc = nullptr;

    void btnOKClick();
    void btnCancClick();

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void centreOnParent();
};

}  // namespace settings
