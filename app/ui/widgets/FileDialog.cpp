#include "app/ui/widgets/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>

#include "app/ui/widgets/MessageBox.h"

namespace ui {
namespace {
QQueue<FileDialog::Result>& queued() {
    static QQueue<FileDialog::Result> q;
    return q;
}
}  // namespace

void FileDialog::setNextFileName(const QString& name, int filterIndex) {
    queued().enqueue({name, filterIndex});
}

QString FileDialog::qtFilter(const QString& filter, QStringList* captions) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        out << parts[i];
        if (captions) captions->append(parts[i]);
    }
    return out.join(QStringLiteral(";;"));
}

static FileDialog::Result answered(bool& done) {
    done = true;
    if (!queued().isEmpty()) return queued().dequeue();
    if (MessageBox::testMode()) return {};
    done = false;
    return {};
}

FileDialog::Result FileDialog::save(QWidget* parent, const QString& filter,
                                    const QString& defaultExt, const QString& startName,
                                    int startFilter) {
    bool done = false;
    Result r = answered(done);
    if (!done) {
        QStringList captions;
        const QString qf = qtFilter(filter, &captions);
        QString selected = captions.value(startFilter - 1);
        r.fileName = QFileDialog::getSaveFileName(parent, QString(), startName, qf, &selected,
                                                  QFileDialog::DontConfirmOverwrite);
        r.filterIndex = std::max(1, int(captions.indexOf(selected)) + 1);
    }
    if (!r.fileName.isEmpty() && QFileInfo(r.fileName).suffix().isEmpty() && !defaultExt.isEmpty())
        r.fileName += '.' + defaultExt;
    return r;
}

FileDialog::Result FileDialog::open(QWidget* parent, const QString& filter,
                                    const QString& startName) {
    bool done = false;
    Result r = answered(done);
    if (!done) {
        QStringList captions;
        QString selected;
        r.fileName = QFileDialog::getOpenFileName(parent, QString(), startName,
                                                  qtFilter(filter, &captions), &selected);
        r.filterIndex = std::max(1, int(captions.indexOf(selected)) + 1);
    }
    return r;
}

}  // namespace ui
