#pragma once
// The one place file dialogs are shown; tests give the answer ahead with setNextFileName.
#include <QString>

class QWidget;

namespace ui {

class FileDialog {
  public:
    struct Result {
        QString fileName;     // empty: cancelled
        int filterIndex = 1;  // 1-based, as the filter lists them
    };
    // `filter` in the form "Текстовый файл (*.txt)|*.txt|Файл CSV (*.csv)|*.csv".
    // A chosen name without extension gets the extension of the chosen filter's first pattern,
    // or `defaultExt` when that pattern has none ("*.*").
    static Result save(QWidget* parent, const QString& filter, const QString& defaultExt,
                       const QString& startName, int startFilter = 1);
    static Result open(QWidget* parent, const QString& filter, const QString& startName);

    // The next dialog is answered with this name (empty = cancel) and filter, without showing.
    static void setNextFileName(const QString& name, int filterIndex = 1);
    // Qt filter text for a filter in the "caption|pattern|..." form.
    static QString qtFilter(const QString& filter, QStringList* captions = nullptr);
};

}  // namespace ui
