// A failure that ends an event handler is shown where it starts, and the program goes on; the
// test run's leak check sees none of the leaks an exception through Qt's event code leaves.
// (The test's application object catches nothing: a failure past the edge fails the test.)
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/MessageBox.h"
#include "driver/Fptr.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"

TEST(HandlerEdge, DriverNameErrorInAHandlerIsShownNotFatal) {
    emu::World::instance().loadDemo();
    drv::setDispatchFactory(&emu::VirtualRegister::create);
    auto fptr = drv::Fptr::create();
    ui::MessageBox::clearHistory();
    QPushButton button(ui::btnValRead);
    struct NoUi : ui::IUi {
        void message(const QString&, ui::Icon, std::optional<QString>) override {}
        bool confirm(const QString&, ui::Icon, bool) override { return true; }
        void processEvents() override {}
        void pause(int) override {}
    } noUi;
    // the handler takes none of the signal's arguments
    QObject::connect(&button, &QPushButton::clicked, &button, ui::atEdge(&button, [&] {
        ui::BusyButton busy(&button, noUi);
        fptr->c("LIBFPTR_NOT_A_CONSTANT");
    }));
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    const auto shown = ui::MessageBox::history();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_TRUE(shown[0].text.contains("LIBFPTR_NOT_A_CONSTANT")) << shown[0].text.toStdString();
    // the busy button was restored while the failure unwound
    EXPECT_TRUE(button.isEnabled());
    EXPECT_EQ(button.text(), ui::btnValRead);
}
