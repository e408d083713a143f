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

// The extension of the first pattern of filter `index` (1-based): "*.csv" gives "csv"; a
// pattern without an extension of its own ("*.*", "*") gives empty.
static QString filterExtension(const QString& filter, int index) {
    const QString patterns = filter.split('|').value(2 * (index - 1) + 1);
    const QString first = patterns.section(';', 0, 0).trimmed();
    if (!first.startsWith(QLatin1String("*."))) return {};
    const QString ext = first.mid(2);
    if (ext.isEmpty() || ext.contains('*') || ext.contains('?') || ext.contains('.')) return {};
    return ext;
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
    // A name typed without an extension takes the one of the chosen filter, so a CSV file is
    // not written under .txt.
    if (!r.fileName.isEmpty() && QFileInfo(r.fileName).suffix().isEmpty()) {
        QString ext = filterExtension(filter, r.filterIndex);
        if (ext.isEmpty()) ext = defaultExt;
        if (!ext.isEmpty()) r.fileName += '.' + ext;
    }
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
