// A tour of every tab against the demo bench, as a new user takes it: find the registers,
// connect, then read each tab with its read button. Every read must fill its tab without a
// message. With VELMOR_SCREENSHOTS naming a folder, each step leaves a picture of the window
// there (tools/make-screenshots.sh makes the README's pictures this way), and the window is then
// maximised and every tab pictured again.
#include <QtTest>

#include "app/ui/Page.h"
#include "discovery/DeviceScan.h"
#include "tests/support/GuiHarness.h"

using testing_support::GuiHarness;

namespace {

// Visible texts of the page's text views and read-only boxes, to tell a filled tab from an
// empty one.
QString shownText(QWidget* page) {
    QString all;
    for (auto* e : page->findChildren<QPlainTextEdit*>()) all += e->toPlainText();
    for (auto* e : page->findChildren<QTextEdit*>()) all += e->toPlainText();
    for (auto* e : page->findChildren<QLineEdit*>())
        if (e->isReadOnly()) all += e->text();
    for (auto* l : page->findChildren<ui::ReportList*>()) {
        const QAbstractItemModel* m = l->model();
        if (!m) continue;
        for (int r = 0; r < m->rowCount(); ++r)
            for (int c = 0; c < m->columnCount(); ++c) all += m->index(r, c).data().toString();
    }
    return all;
}

}  // namespace

class TestTour : public QObject {
    Q_OBJECT
  private slots:
    void init() { testing_support::useBench({}); }

    void everyTabReadsOnTheDemoBench() {
        GuiHarness h;
        // the settings catalogues beside the program, as the build and the packages have them
        h.installCatalogues();
        h.window()->findChild<discovery::DeviceScan*>()->setPacing(1, 201, 2);
        h.window()->pgcSet->setCurrentWidget(h.window()->connectPage);
        h.click("btnScanConnect");
        QTRY_COMPARE(h.find<QPushButton>("btnScanConnect")->text(), QString("Найти ККМ"));
        QVERIFY(h.rows("lvKKMconnect").size() >= 1);
        h.doubleClickRow("lvKKMconnect", 0);
        QVERIFY(h.window()->session().kkmConnected());
        h.screenshot("01-connect");

        int shot = 2;
        int read = 0;
        for (app::Page* page : h.window()->pages()) {
            page->ensureBuilt();  // opened for the first time after the connection
            QAbstractButton* button = page->readButton();
            if (!button) continue;
            page->resetView();
            const QString before = shownText(page);
            ui::MessageBox::clearHistory();
            // Opening a tab that was not read yet reads it; the button reads it again.
            h.window()->pgcSet->setCurrentWidget(page);
            QCOMPARE(h.window()->pgcSet->currentWidget(), static_cast<QWidget*>(page));
            QTest::mouseClick(button, Qt::LeftButton);
            QTRY_VERIFY2(button->isEnabled(), qPrintable(page->caption()));
            QVERIFY2(h.messages().isEmpty(),
                     qPrintable(page->caption() + ": " + h.messageTexts().join(" | ")));
            QVERIFY2(shownText(page) != before,
                     qPrintable(page->caption() + ": the read filled nothing: " + before));
            h.screenshot(
                QStringLiteral("%1-%2")
                    .arg(shot++, 2, 10, QChar('0'))
                    .arg(page->objectName().isEmpty() ? page->caption() : page->objectName()));
            ++read;
        }
        // ККМ, Регистрация, ФН, Смена, Чеки, Клише/Подвал, Настройки.
        QCOMPARE(read, 7);
        // Сервис has no read button: its clocks run on their own.
        h.window()->pgcSet->setCurrentWidget(h.window()->servPage);
        QTest::qWait(1200);
        QVERIFY(!h.find<QLineEdit>("edtSysTime")->text().isEmpty());
        h.screenshot(QStringLiteral("%1-servPage").arg(shot, 2, 10, QChar('0')));

        // Maximised, every tab still shows what it read.
        h.window()->showMaximized();
        QTRY_VERIFY(h.window()->width() > app::TFormSet::kClientWidth);
        for (app::Page* page : h.window()->pages()) {
            h.window()->pgcSet->setCurrentWidget(page);
            QVERIFY2(page->readButton() == nullptr || !shownText(page).isEmpty(),
                     qPrintable(page->caption()));
            h.screenshot(QStringLiteral("max-") + page->objectName());
        }
    }
};

QTEST_MAIN(TestTour)
#include "test_tour.moc"
