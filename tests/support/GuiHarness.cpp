#include "tests/support/GuiHarness.h"

#include <qpa/qwindowsysteminterface.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTabWidget>

#include "app/ui/widgets/Memo.h"
#include "app/ui/widgets/ReportList.h"
#include "driver/DriverLog.h"
#include "emulator/Bench.h"

namespace testing_support {

GuiHarness::GuiHarness(const QString& progdir, Pages pages) {
    ui::MessageBox::setTestMode(true);
    ui::MessageBox::clearHistory();
    if (progdir.isEmpty()) {
        dir_ = std::make_unique<QTemporaryDir>();
        progdir_ = dir_->path();
    } else {
        progdir_ = progdir;
    }
    // the program directory carries the handle-listing tool of this build, as an installed
    // program has it beside itself
    QDir(progdir_).mkpath("Com");
    if (!QFileInfo::exists(progdir_ + "/Com/hs"))
        QFile::link(QStringLiteral(VELMOR_BINARY_DIR "/Com/hs"), progdir_ + "/Com/hs");
    // A user's configuration folder of the test's own: nothing a test does reaches the home
    // folder of whoever runs it.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(progdir_ + "/user-config"));
    logPath_ = progdir_ + "/driver-log.jsonl";
    QFile::remove(logPath_);
    drv::DriverLog::instance().setPath(logPath_);
    // The harness's bench stands for VELMOR_BENCH, so no library of the machine is bound by
    // chance; a test that means a library names it in VELMOR_FPTR_LIBRARY.
    program_.pc = app::setUpDriverAndPc(progdir_, [](const char* name) {
        const QString value = qEnvironmentVariable(name);
        if (value.isEmpty() && qstrcmp(name, "VELMOR_BENCH") == 0)
            return emu::World::instance().source();
        return value;
    });
    program_.mainWindow = std::make_unique<app::TFormSet>(*program_.pc, progdir_);
    app::createDialogs(program_);
    if (pages == Pages::MadeAtStart)
        for (app::Page* p : program_.mainWindow->pages()) p->ensureBuilt();
    program_.mainWindow->show();
    if (!QTest::qWaitForWindowExposed(program_.mainWindow.get()))
        qWarning("main window not exposed");
}

GuiHarness::~GuiHarness() {
    close();
    program_.setEditor.reset();
    program_.updateDialog.reset();
    program_.portDialog.reset();
    program_.mainWindow.reset();
    drv::DriverLog::instance().setPath({});
}

QString GuiHarness::progdir() const {
    return progdir_;
}

void GuiHarness::installCatalogues() {
    QDir(progdir_).mkpath("pf");
    for (const char* f : {"set5x.ini", "set3x.ini"})
        QFile::copy(QStringLiteral(VELMOR_SOURCE_DIR "/pf/") + f, progdir_ + "/pf/" + f);
}

void GuiHarness::close() {
    if (program_.mainWindow && program_.mainWindow->isVisible()) program_.mainWindow->close();
}

void GuiHarness::click(const QString& buttonName) {
    auto* b = find<QAbstractButton>(buttonName);
    QTest::mouseClick(b, Qt::LeftButton);
}

std::jthread GuiHarness::clickFromOutside(const QString& buttonName, QList<int> afterMs) {
    auto* b = find<QAbstractButton>(buttonName);
    QWindow* target = window()->windowHandle();
    const QPointF at = b->mapTo(window(), b->rect().center());
    const QPointF global = b->mapToGlobal(b->rect().center());
    return std::jthread([target, at, global, afterMs] {
        const auto start = std::chrono::steady_clock::now();
        for (int ms : afterMs) {
            std::this_thread::sleep_until(start + std::chrono::milliseconds(ms));
            QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                target, at, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
            QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                target, at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
        }
    });
}

void GuiHarness::selectTab(const QString& tabName) {
    auto* tabs = find<QTabWidget>("pgcSet");
    tabs->setCurrentWidget(find<QWidget>(tabName));
}

QStringList GuiHarness::memo(const QString& name) {
    return find<ui::Memo>(name)->lines();
}

ui::ReportList* GuiHarness::list(const QString& name) {
    return find<ui::ReportList>(name);
}

QList<QStringList> GuiHarness::rows(const QString& listName) {
    auto* l = list(listName);
    QList<QStringList> out;
    for (int r = 0; r < l->rowCount(); ++r)
        if (!l->isFiller(r)) out << l->rowCells(r);
    return out;
}

void GuiHarness::selectRow(const QString& listName, int row) {
    auto* l = list(listName);
    l->clearSelection();
    l->selectRow(row);
}

void GuiHarness::doubleClickRow(const QString& listName, int row, int column) {
    auto* l = list(listName);
    const QRect r = l->visualRect(l->model()->index(row, column));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, r.center());
}

void GuiHarness::screenshot(const QString& name) {
    const QString dir = qEnvironmentVariable("VELMOR_SCREENSHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    QCoreApplication::processEvents();  // the layouts follow the last changes of captions first
    window()->grab().save(QDir(dir).filePath(name + ".png"));
}

QList<QJsonObject> GuiHarness::driverLog() const {
    QList<QJsonObject> out;
    QFile f(logPath_);
    if (!f.open(QIODevice::ReadOnly)) return out;
    while (!f.atEnd()) {
        const auto line = f.readLine().trimmed();
        if (!line.isEmpty()) out << QJsonDocument::fromJson(line).object();
    }
    return out;
}

QStringList GuiHarness::driverCalls() const {
    QStringList out;
    for (const auto& o : driverLog())
        if (o.contains("method")) out << o.value("method").toString();
    return out;
}

QStringList GuiHarness::messageTexts() {
    QStringList out;
    for (const auto& m : ui::MessageBox::history()) out << m.text;
    return out;
}

}  // namespace testing_support
