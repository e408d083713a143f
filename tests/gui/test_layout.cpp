// Every page of the window, read against the demo bench, at the window's default size, maximised
// and enlarged: each visible caption and value fits its control in the fonts of this machine, the
// receipt view holds the widest receipt line a register prints, and the lists and the receipt view
// grow with the window.
#include <QtTest>

#include "app/ui/Page.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

namespace {

// The widest receipt line of the registers in use, in characters.
constexpr int kWidestReceipt = 48;

QString withoutMnemonic(QString text) {
    static const QRegularExpression single(QStringLiteral("&(?!&)"));
    return text.remove(single).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// What a control shows, the width it needs for it and the width it has.
struct Fit {
    QString text;
    int need = 0;
    int have = 0;
};

std::optional<Fit> fitOf(QWidget* w) {
    const QStyle* s = w->style();
    const QFontMetrics fm = w->fontMetrics();
    const auto advance = [&fm](const QString& t) { return fm.horizontalAdvance(t); };
    if (auto* b = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton o;
        o.initFrom(b);
        const QString t = withoutMnemonic(b->text());
        return Fit{t, advance(t) + s->pixelMetric(QStyle::PM_ButtonMargin, &o, b),
                   s->subElementRect(QStyle::SE_PushButtonContents, &o, b).width()};
    }
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        auto* b = static_cast<QAbstractButton*>(w);
        QStyleOptionButton o;
        o.initFrom(b);
        const auto element = qobject_cast<QCheckBox*>(w) ? QStyle::SE_CheckBoxContents
                                                         : QStyle::SE_RadioButtonContents;
        const QString t = withoutMnemonic(b->text());
        return Fit{t, advance(t), s->subElementRect(element, &o, b).width()};
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->text().isEmpty() || l->wordWrap()) return std::nullopt;
        int need = 0;
        for (const QString& line : l->text().split(u'\n')) need = std::max(need, advance(line));
        return Fit{l->text(), need,
                   l->contentsRect().width() - 2 * l->margin() - std::max(l->indent(), 0)};
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        QStyleOptionGroupBox o;
        o.initFrom(g);
        o.text = g->title();
        o.textAlignment = g->alignment();
        o.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        if (g->isCheckable()) o.subControls |= QStyle::SC_GroupBoxCheckBox;
        const QRect label = s->subControlRect(QStyle::CC_GroupBox, &o, QStyle::SC_GroupBoxLabel, g);
        // the title's text from the group's left edge, against the group's width
        return Fit{o.text, label.left() + advance(o.text), g->width()};
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        // the text area of QLineEdit: inside the frame and the text margins, 2 pixels each side
        const int frame =
            e->hasFrame() ? s->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
        const QMargins m = e->textMargins();
        return Fit{e->displayText(), advance(e->displayText()),
                   e->width() - 2 * frame - m.left() - m.right() - 4};
    }
    if (auto* c = qobject_cast<QComboBox*>(w); c && !c->isEditable()) {
        QStyleOptionComboBox o;
        o.initFrom(c);
        o.frame = c->hasFrame();
        const int have =
            s->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, c).width();
        Fit widest{{}, 0, have};
        for (int i = 0; i < c->count(); ++i)
            if (advance(c->itemText(i)) + 2 > widest.need)
                widest = {c->itemText(i), advance(c->itemText(i)) + 2, have};
        return widest;
    }
    // A text view without a horizontal scroll bar must show its lines whole.
    if (auto* t = qobject_cast<QPlainTextEdit*>(w);
        t && t->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) {
        Fit widest{{}, 0, t->viewport()->width() - 2 * int(t->document()->documentMargin())};
        for (const QString& line : t->toPlainText().split(u'\n'))
            if (advance(line) > widest.need) widest = {line, advance(line), widest.have};
        return widest;
    }
    return std::nullopt;
}

// The visible controls of the page whose text is cut, as "name: text (need > have)".
QStringList cutControls(QWidget* page) {
    QStringList out;
    for (auto* w : page->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        const auto fit = fitOf(w);
        if (fit && fit->need > fit->have)
            out << QStringLiteral("%1 \"%2\": %3 > %4")
                       .arg(w->objectName().isEmpty() ? w->metaObject()->className()
                                                      : w->objectName(),
                            fit->text)
                       .arg(fit->need)
                       .arg(fit->have);
    }
    return out;
}

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// The separator's length: the line width the last rendering laid the receipt out to.
int separatorLength(GuiHarness& h) {
    for (const QString& line : h.find<QPlainTextEdit>("mmoChekFormat")->toPlainText().split('\n'))
        if (line.startsWith(u'=') && line.count(u'=') == line.size()) return int(line.size());
    return 0;
}

}  // namespace

class TestLayout : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void everyCaptionFitsAtEverySize() {
        // an open receipt with a six-figure sum, and a sales receipt in the archive
        useBenchWith(0, [](QJsonObject& r) {
            r["receipt"] = QJsonObject{
                {"type", 1},
                {"items", QJsonArray{QJsonObject{{"name", "Холодильник"}, {"price", 123456.78}}}}};
        });
        GuiHarness h;
        auto* w = h.window();
        QCOMPARE(w->size(), QSize(698, 672));
        h.installCatalogues();
        QVERIFY(connectTo(h, "5"));
        for (app::Page* page : w->pages()) {
            w->pgcSet->setCurrentWidget(page);
            if (!page->readButton()) continue;
            QTest::mouseClick(page->readButton(), Qt::LeftButton);
            QTRY_VERIFY(page->readButton()->isEnabled());
        }
        QVERIFY2(h.messages().isEmpty(), qPrintable(h.messageTexts().join(" | ")));

        QHash<QWidget*, QSize> defaultSizes;
        // Every page at the window's present size: its cut controls and the views that did not
        // grow from the default size, one line a page (and a picture of each page with
        // VELMOR_SCREENSHOTS set).
        const auto walk = [&](const QString& size) {
            QStringList faults;
            settle();
            for (app::Page* page : w->pages()) {
                w->pgcSet->setCurrentWidget(page);
                settle();
                QStringList cut;
                if (page == w->checkPage) {
                    h.click("btnCheckGetOpened");
                    cut << cutControls(page);
                    h.find<QLineEdit>("edtCheckNumCheck")->setText("213");
                    h.click("btnCheckSowCheck");
                }
                cut << cutControls(page);
                QList<QWidget*> views = {h.find<QWidget>("mmoChekFormat")};
                for (auto* list : page->findChildren<ui::ReportList*>()) {
                    views << list;
                    // without a scroll bar, the rows carry the grid to the list's bottom
                    if (list->isVisible() && !list->scrollBarEnabled() &&
                        list->rowCount() < list->viewport()->height() / ui::ReportList::kRowHeight)
                        cut << list->objectName() + ": the grid stops short";
                    if (list->isVisible() &&
                        list->horizontalHeader()->length() < list->viewport()->width())
                        cut << list->objectName() + ": the columns stop short";
                }
                for (QWidget* view : views) {
                    if (!view->isVisible()) continue;
                    const QSize was = defaultSizes.value(view);
                    if (!defaultSizes.contains(view))
                        defaultSizes[view] = view->size();
                    else if (view->width() <= was.width() || view->height() < was.height())
                        cut << view->objectName() + " did not grow";
                }
                if (!cut.isEmpty()) faults << page->caption().trimmed() + ": " + cut.join("; ");
                h.screenshot(QStringLiteral("layout-%1-%2").arg(size, page->objectName()));
            }
            return faults.isEmpty() ? QString() : size + ":\n" + faults.join('\n');
        };
        QString faults = walk("default");
        QVERIFY2(faults.isEmpty(), qPrintable(faults));
        QVERIFY(h.find<QPlainTextEdit>("mmoChekFormat")->toPlainText().contains("Хлеб пшеничный"));
        const int defaultWidth = separatorLength(h);
        QVERIFY2(defaultWidth >= kWidestReceipt, qPrintable(QString::number(defaultWidth)));

        w->showMaximized();
        QTRY_VERIFY(w->isMaximized());
        QTRY_VERIFY(w->width() > 698);
        faults = walk("maximised");
        QVERIFY2(faults.isEmpty(), qPrintable(faults));

        w->showNormal();
        w->resize(1400, 1000);
        QTRY_COMPARE(w->size(), QSize(1400, 1000));
        faults = walk("enlarged");
        QVERIFY2(faults.isEmpty(), qPrintable(faults));
        QVERIFY(separatorLength(h) > defaultWidth);
    }
};

QTEST_MAIN(TestLayout)
#include "test_layout.moc"
