#include "driver/libfptr/DriverThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <chrono>
#include <stdexcept>

namespace drv::libfptr {

struct DriverThread::Job {
    std::function<void()> call;
    std::exception_ptr error;
    std::mutex mutex;
    std::condition_variable done_cv;
    bool done = false;
    QEventLoop* loop = nullptr;  // the main thread's wait, when it waits in one
};

DriverThread::DriverThread() : thread_([this] { loop(); }) {}

DriverThread::~DriverThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void DriverThread::loop() {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            job->call();
        } catch (...) {
            job->error = std::current_exception();
        }
        std::lock_guard lock(job->mutex);
        job->done = true;
        if (job->loop)
            QMetaObject::invokeMethod(job->loop, &QEventLoop::quit, Qt::QueuedConnection);
        job->done_cv.notify_all();
    }
}

namespace {
// Waits of the main thread in a local event loop, one inside the other. A slot that runs during
// a wait and calls the driver itself waits plainly: nesting loop in loop for every queued call
// (a scan hands many results over at once) would only deepen the stack.
int loopsWaiting = 0;
}  // namespace

void DriverThread::waitOnMainThread(Job& job) {
    if (loopsWaiting > 0) {
        std::unique_lock lock(job.mutex);
        job.done_cv.wait(lock, [&] { return job.done; });
        return;
    }
    {
        std::unique_lock lock(job.mutex);
        if (job.done_cv.wait_for(lock, std::chrono::milliseconds(kQuietWaitMs),
                                 [&] { return job.done; }))
            return;
    }
    QEventLoop wait;
    {
        std::lock_guard lock(job.mutex);
        if (job.done) return;
        job.loop = &wait;
    }
    ++loopsWaiting;
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    --loopsWaiting;
    // The loop also ends when the application quits; the call is still awaited to the end.
    std::unique_lock lock(job.mutex);
    job.done_cv.wait(lock, [&] { return job.done; });
    job.loop = nullptr;
}

void DriverThread::run(const std::function<void()>& call) {
    if (onDriverThread()) {
        call();
        return;
    }
    auto job = std::make_shared<Job>();
    job->call = call;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) throw std::logic_error("Драйвер ККТ уже выгружен");
        queue_.push_back(job);
    }
    wake_.notify_one();

    auto* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        waitOnMainThread(*job);
    } else {
        std::unique_lock lock(job->mutex);
        job->done_cv.wait(lock, [&] { return job->done; });
    }
    if (job->error) std::rethrow_exception(job->error);
}

}  // namespace drv::libfptr
