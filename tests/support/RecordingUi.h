#pragma once
// The window as the window-free rules see it, for tests: every message and question is written
// down (questions get `answer`), in order in `events`. Waits either do nothing or, with
// Events::Live, really process events and wait, as the window does (for rules that run
// timers or sockets while they wait).
#include <QCoreApplication>
#include <QEventLoop>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <optional>

#include "app/Ui.h"

namespace testing_support {

class RecordingUi : public ui::IUi {
  public:
    enum class Events { Skipped, Live };
    struct Shown {
        QString text;
        ui::Icon icon;
        std::optional<QString> caption;
    };

    explicit RecordingUi(Events waits = Events::Skipped) : live_(waits == Events::Live) {}

    void message(const QString& text, ui::Icon icon, std::optional<QString> caption) override {
        events << QStringLiteral("message:") + text;
        messages << text;
        shown.append({text, icon, caption});
    }
    bool confirm(const QString& text, ui::Icon icon = ui::Icon::Information,
                 bool cancelByDefault = false) override {
        events << QStringLiteral("confirm");
        questions << text;
        asked.append({text, icon, cancelByDefault});
        return answer;
    }
    void processEvents() override {
        if (live_) QCoreApplication::processEvents();
    }
    void pause(int ms) override {
        if (!live_) return;
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    bool answer = true;
    QStringList messages;  // the texts of the messages
    QList<Shown> shown;    // the messages with their icons and captions
    QStringList questions;
    struct Asked {
        QString text;
        ui::Icon icon;
        bool cancelByDefault;
    };
    QList<Asked> asked;  // the questions with their icons and default answers
    QStringList events;  // "message:<text>" and "confirm", in order

  private:
    bool live_;
};

}  // namespace testing_support
