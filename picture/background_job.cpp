// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/background_job.h"

#include <exception>
#include <utility>

#include "picture/worker_threads.h"

namespace vardesca {

void BackgroundJob::Run(State& state) {
    try {
        state.work(state.stop);
    } catch (...) {
        // On any thread, never std::terminate: the owner finds it over.
        state.threw = true;
    }
    state.work = nullptr;  // what it captured goes now, not with the job
    state.finished = true;
}

bool BackgroundJob::Start(Work work, QObject* owner, std::function<void()> done) {
    Stop();
    auto state = std::make_shared<State>();
    state->work = std::move(work);
    state->done = std::move(done);
    state_ = state;
    try {
        thread_ = StartThread([this, state, owner] {
            Run(*state);
            if (owner == nullptr || !state->done) {
                return;
            }
            // Were even the call refused for want of memory, the owner's
            // next look at Finished() finds the job over.
            try {
                // The state outlives the call only while this job does: a job
                // let go of frees it, and its call then touches nothing.
                QMetaObject::invokeMethod(
                    owner,
                    [this, weak = std::weak_ptr<State>(state)] {
                        if (const std::shared_ptr<State> alive = weak.lock()) {
                            Said(alive);
                        }
                    },
                    Qt::QueuedConnection);
            } catch (...) {
            }
        });
        return true;
    } catch (const std::exception&) {
    }
    // No thread to be had: here, now if someone waits for it, else when asked.
    if (owner != nullptr && state->done) {
        Run(*state);
        Said(state);
    } else {
        state->deferred = true;
    }
    return false;
}

void BackgroundJob::Said(const std::shared_ptr<State>& state) {
    // A job stopped, waited for or replaced meanwhile says nothing.
    if (state != state_) {
        return;
    }
    Join();
    const std::function<void()> done = std::move(state->done);
    state->done = nullptr;
    // While `done` runs, the job's figures can still be read; it may stop
    // the job or start another.
    if (done) {
        done();
    }
    if (state_ == state) {
        state_ = nullptr;
    }
}

void BackgroundJob::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void BackgroundJob::Stop() {
    if (state_ != nullptr) {
        state_->stop = true;
    }
    Join();
    state_ = nullptr;
}

void BackgroundJob::AskToStop() {
    if (state_ != nullptr) {
        state_->stop = true;
    }
}

void BackgroundJob::Wait() {
    if (state_ != nullptr && state_->deferred) {
        state_->deferred = false;
        Run(*state_);
    }
    Join();
    if (state_ != nullptr) {
        state_->done = nullptr;
    }
}

}  // namespace vardesca
