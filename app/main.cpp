#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/Program.h"
#include "app/shared/Ui.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app::Program program;
    try {
        program = app::createProgram();
    } catch (const std::exception& e) {
        const QString text = QString::fromUtf8(e.what());
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        QMessageBox::critical(nullptr, ui::appTitle(), text);
        return 2;
    }
    program.mainWindow->show();
    return app.exec();
}
