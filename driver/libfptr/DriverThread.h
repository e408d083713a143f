#pragma once
// One thread that makes every call into a loaded driver library.
//
// A real library can block for seconds (a dead port, a slow register). Callers stay
// synchronous: run() returns when the call has been made. The program's main thread waits in
// a local event loop that leaves user input queued (QEventLoop::ExcludeUserInputEvents):
// repaints, timers and queued signals go on, clicks and keys wait until the call is over, so
// no handler of the user can start in the middle of another. The window decides their fate
// afterwards: a walk that keeps the window alive takes them at its next turn, and what is still
// queued when the handler ends is dropped. Other threads simply block.
//
// A timer or queued slot that runs during the wait and calls the driver itself is served after
// the call in progress, in order, and waits plainly (no event loop inside the event loop).
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace drv::libfptr {

class DriverThread {
  public:
    DriverThread();
    ~DriverThread();  // makes the calls still queued, then ends the thread
    DriverThread(const DriverThread&) = delete;
    DriverThread& operator=(const DriverThread&) = delete;

    // Makes `call` on the driver thread and returns when it is done; an exception it throws is
    // thrown here. Called on the driver thread itself, it runs at once.
    void run(const std::function<void()>& call);

    template <class F>
    auto call(F&& f) -> decltype(f()) {
        if constexpr (std::is_void_v<decltype(f())>) {
            run(std::forward<F>(f));
        } else {
            std::optional<decltype(f())> result;
            run([&] { result.emplace(f()); });
            return std::move(*result);
        }
    }

    bool onDriverThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    // How long the main thread waits plainly before it turns to the local event loop: calls
    // that answer at once cost no event processing.
    static constexpr int kQuietWaitMs = 10;

  private:
    struct Job;
    void loop();
    static void waitOnMainThread(Job& job);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace drv::libfptr
