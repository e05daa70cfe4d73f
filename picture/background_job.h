// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace vardesca {

// One piece of work beside the window's thread, as every background job of
// the program runs (the photo decoded ahead, a reduced copy for the zoom, the
// annotated save):
// - it runs on a thread of its own, started by StartThread;
// - it is stopped by one flag, which the work looks at between its steps, and
//   Stop waits until it has;
// - "done" is said one way: Finished() turns true as the work returns, and
//   `done`, when given, is then called once on its owner's thread, behind
//   the events already queued there — never after a Stop or a Wait, so a job
//   let go says nothing;
// - where the system gives no thread (or no memory for one), the work runs on
//   the calling thread instead: at once when a `done` waits for it, otherwise
//   when its result is waited for, so a job nobody needs costs nothing;
// - nothing escapes the work: an exception it lets through ends it, with
//   Finished() true and Threw() saying so, on either thread.
class BackgroundJob {
  public:
    using Work = std::function<void(std::atomic<bool>& stop)>;

    BackgroundJob() = default;
    ~BackgroundJob() { Stop(); }
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts `work`, after stopping any job under way. `done` is called on
    // `owner`'s thread (`owner` must then outlive the job) once the work is
    // over; without an owner there is no `done`. True when a thread took the
    // work.
    bool Start(Work work, QObject* owner = nullptr, std::function<void()> done = {});
    // Asks the work to stop, then waits until it has; `done` is not called.
    void Stop();
    // Asks the work to stop and returns at once (Annulla: the work finishes
    // its step and says done as usual).
    void AskToStop();
    // Waits until the work is over, running it here if no thread took it;
    // `done` is not called: the caller goes on with the result itself.
    void Wait();
    // A job started and not yet stopped or said done (one waited for stays,
    // for its Finished() and Threw(), until it is stopped or another starts).
    [[nodiscard]] bool Running() const { return state_ != nullptr; }
    [[nodiscard]] bool Finished() const { return state_ != nullptr && state_->finished.load(); }
    [[nodiscard]] bool StopAsked() const { return state_ != nullptr && state_->stop.load(); }
    [[nodiscard]] bool Threw() const { return state_ != nullptr && state_->threw; }

  private:
    struct State {
        Work work;
        std::atomic<bool> stop{false};
        std::atomic<bool> finished{false};
        bool threw = false;  // written before `finished`, read after it
        std::function<void()> done;
        bool deferred = false;  // no thread took it: it runs when waited for
    };
    // Runs the work and marks it over, catching what escapes it.
    static void Run(State& state);
    // Called on the owner's thread when the work of `state` is over.
    void Said(const std::shared_ptr<State>& state);
    void Join();

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace vardesca
