#include "cli/Run.h"

#include <QThread>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "driver/Fptr.h"
#include "driver/Versions.h"

namespace cli {

namespace {

std::atomic<bool> abandoned{false};
thread_local qint64 threadCalls = 0;

qint64 steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class CountingDispatch : public drv::IDispatch {
  public:
    explicit CountingDispatch(std::unique_ptr<drv::IDispatch> inner) : inner_(std::move(inner)) {}
    std::optional<QVariant> constant(const QString& name) const override {
        return inner_->constant(name);
    }
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override {
        ++threadCalls;
        return inner_->invoke(method, args);
    }
    std::optional<int> lastErrorCode() const override { return inner_->lastErrorCode(); }

  private:
    std::unique_ptr<drv::IDispatch> inner_;
};

struct Shared {
    std::atomic<qint64> progressMs{0};  // steady clock of the latest keepAlive
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    Outcome outcome;
};

thread_local Shared* current = nullptr;

void work(const std::shared_ptr<Shared>& shared, const Target& target, const Job& job) {
    current = shared.get();
    Outcome out;
    out.target = target;
    threadCalls = 0;
    try {
        auto f = drv::Fptr::create();
        if (!openTarget(*f, target)) {
            out.errors
                << (drv::platform25NotServed(*f)
                        ? QStringLiteral("(%1) %2").arg(f->errorCode()).arg(app::kPlatform25Message)
                        : driverError(*f));
        } else {
            out.id = app::readIdentity(*f);
            const QString error = driverError(*f);
            if (!error.isEmpty()) {
                out.errors << error;
            } else {
                out.answered = true;
                job(*f, out);
            }
            f->close();
        }
    } catch (const std::exception& e) {
        out.errors << QString::fromUtf8(e.what());
    }
    out.calls = threadCalls;
    std::lock_guard lock(shared->mutex);
    shared->outcome = std::move(out);
    shared->finished = true;
    shared->done.notify_all();
}

}  // namespace

QString driverError(drv::Fptr& f) {
    const int code = f.errorCode();
    if (code == 0) return {};
    return QStringLiteral("(%1) %2").arg(code).arg(f.errorDescription());
}

Outcome runTarget(const Target& target, const Job& job, int timeoutMs) {
    auto shared = std::make_shared<Shared>();
    std::thread thread(work, shared, target, job);
    shared->progressMs = steadyMs();
    std::unique_lock lock(shared->mutex);
    for (;;) {
        const qint64 left = shared->progressMs + timeoutMs - steadyMs();
        if (shared->done.wait_for(lock, std::chrono::milliseconds(std::max<qint64>(left, 0)),
                                  [&] { return shared->finished; })) {
            lock.unlock();
            thread.join();
            return std::move(shared->outcome);
        }
        if (shared->progressMs + timeoutMs <= steadyMs()) break;
    }
    lock.unlock();
    thread.detach();
    abandoned = true;
    Outcome out;
    out.target = target;
    out.timedOut = true;
    out.errors << QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000.0);
    return out;
}

void keepAlive() {
    if (current) current->progressMs = steadyMs();
}

bool workAbandoned() {
    return abandoned;
}

void countDriverCalls() {
    auto inner = drv::dispatchFactory();
    if (!inner) return;
    drv::setDispatchFactory([inner](const QString& progId) -> std::unique_ptr<drv::IDispatch> {
        auto obj = inner(progId);
        if (!obj) return nullptr;
        return std::make_unique<CountingDispatch>(std::move(obj));
    });
}

qint64 callsOfThisThread() {
    return threadCalls;
}

void CollectingUi::message(const QString& text, ui::Icon, std::optional<QString>) {
    messages << text;
}
bool CollectingUi::confirm(const QString&, ui::Icon, bool) {
    return false;
}
void CollectingUi::processEvents() {}
void CollectingUi::pause(int ms) {
    QThread::msleep(ms);
}

}  // namespace cli
