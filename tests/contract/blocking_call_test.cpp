// A driver call that blocks for 3 s keeps the caller synchronous but the window alive: the
// window repaints and timers fire at least every 100 ms meanwhile, and a click made during the
// call is not delivered until the call is over.
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QTest>
#include <QTimer>

#include "driver/Fptr.h"
#include "driver/libfptr/LibraryDispatch.h"

namespace {

class Window : public QRasterWindow {
  public:
    QList<qint64> paints;
    QList<qint64> clicks;
    QElapsedTimer* clock = nullptr;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(QRect(QPoint(), size()), paints.size() % 2 ? Qt::white : Qt::lightGray);
        paints.append(clock->elapsed());
    }
    void mousePressEvent(QMouseEvent*) override { clicks.append(clock->elapsed()); }
};

qint64 largestGap(const QList<qint64>& times, qint64 from, qint64 to) {
    qint64 last = from, gap = 0;
    for (qint64 t : times) {
        if (t < from || t > to) continue;
        gap = std::max(gap, t - last);
        last = t;
    }
    return std::max(gap, to - last);
}

TEST(BlockingCall, TheWindowStaysAliveAndDeafDuringAThreeSecondCall) {
    auto loaded = drv::libfptr::Library::load(QStringLiteral(VELMOR_ECHO_LIBRARY));
    ASSERT_TRUE(loaded.library) << loaded.error.toStdString();
    drv::Fptr fptr(drv::libfptr::LibraryDispatch::create(loaded.library));

    QElapsedTimer clock;
    clock.start();
    Window w;
    w.clock = &clock;
    w.resize(200, 100);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    QList<qint64> ticks;
    QTimer animation;  // what a busy button or a progress bar would do
    QObject::connect(&animation, &QTimer::timeout, [&] {
        ticks.append(clock.elapsed());
        w.update();
    });
    animation.start(20);

    // A click arrives from the window system one second into the call.
    bool clicked = false;
    QTimer::singleShot(1000, [&] {
        const QPointF at(50, 50);
        QWindowSystemInterface::handleMouseEvent(&w, at, w.mapToGlobal(at), Qt::LeftButton,
                                                 Qt::LeftButton, QEvent::MouseButtonPress);
        QWindowSystemInterface::handleMouseEvent(&w, at, w.mapToGlobal(at), Qt::NoButton,
                                                 Qt::LeftButton, QEvent::MouseButtonRelease);
        clicked = true;
    });

    fptr.setParam(65551, 3000);  // LIBFPTR_PARAM_DURATION: the echo's beep sleeps that long
    const qint64 start = clock.elapsed();
    const int rc = fptr.run("beep");
    const qint64 end = clock.elapsed();

    EXPECT_EQ(rc, 0);
    EXPECT_GE(end - start, 3000);
    EXPECT_TRUE(clicked);
    EXPECT_LE(largestGap(ticks, start, end), 100) << ticks.size() << " timer ticks";
    EXPECT_LE(largestGap(w.paints, start, end), 100) << w.paints.size() << " repaints";
    EXPECT_TRUE(w.clicks.isEmpty()) << "a click was delivered during the call";

    // the click was real: it is delivered once the call is over
    QElapsedTimer after;
    after.start();
    while (w.clicks.isEmpty() && after.elapsed() < 2000) QCoreApplication::processEvents();
    ASSERT_EQ(w.clicks.size(), 1);
    EXPECT_GE(w.clicks[0], end);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
