// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/background_job.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <stdexcept>

#include "picture/worker_threads.h"

namespace vardesca {
namespace {

// Runs the owner's events until `said` has been said `times` times; the work
// itself ends the wait, never a clock.
void RunEventsUntil(const int& said, int times) {
    while (said < times) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}

// A work that goes on until it is told to stop, as a decode or a save does.
void UntilStopped(std::atomic<bool>& stop) {
    while (!stop.load()) {
        QThread::yieldCurrentThread();
    }
}

TEST(BackgroundJobTest, DoneIsSaidOnceOnTheOwnersThreadAfterTheWork) {
    QObject owner;
    BackgroundJob job;
    std::atomic<bool> onOtherThread{false};
    int said = 0;
    bool saidOnOwnersThread = false;
    bool finishedWhenSaid = false;
    ASSERT_TRUE(job.Start(
        [&](std::atomic<bool>&) { onOtherThread = QThread::currentThread() != owner.thread(); },
        &owner, [&] {
            ++said;
            saidOnOwnersThread = QThread::currentThread() == owner.thread();
            finishedWhenSaid = job.Finished();
        }));
    EXPECT_EQ(said, 0);  // never from inside Start, even were the work quick
    RunEventsUntil(said, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(said, 1);
    EXPECT_TRUE(onOtherThread);
    EXPECT_TRUE(saidOnOwnersThread);
    EXPECT_TRUE(finishedWhenSaid);
    EXPECT_FALSE(job.Running());
}

// A job let go of (Ctrl+O during a prefetch, a new picture during a reduced
// copy) must not come back later and put its result in place of the new one.
TEST(BackgroundJobTest, AJobStoppedReplacedOrWaitedForSaysNothing) {
    QObject owner;
    BackgroundJob job;
    int saidFirst = 0;
    ASSERT_TRUE(job.Start(UntilStopped, &owner, [&] { ++saidFirst; }));
    job.Stop();  // returns only once the work has heard it
    EXPECT_FALSE(job.Running());

    ASSERT_TRUE(job.Start(UntilStopped, &owner, [&] { ++saidFirst; }));
    int saidSecond = 0;
    ASSERT_TRUE(job.Start([](std::atomic<bool>&) {}, &owner, [&] { ++saidSecond; }));
    RunEventsUntil(saidSecond, 1);

    int saidWaited = 0;
    bool ran = false;
    ASSERT_TRUE(job.Start([&](std::atomic<bool>&) { ran = true; }, &owner, [&] { ++saidWaited; }));
    job.Wait();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(job.Finished());
    // One more job, said done, flushes the queue behind the ones let go.
    int saidLast = 0;
    ASSERT_TRUE(job.Start([](std::atomic<bool>&) {}, &owner, [&] { ++saidLast; }));
    RunEventsUntil(saidLast, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(saidFirst, 0);
    EXPECT_EQ(saidSecond, 1);
    EXPECT_EQ(saidWaited, 0);
}

// Annulla: the work is asked to stop and ends its step; the owner still hears
// it is over, and can tell it was stopped.
TEST(BackgroundJobTest, AskedToStopTheWorkEndsAndSaysSo) {
    QObject owner;
    BackgroundJob job;
    int said = 0;
    bool stopSeen = false;
    ASSERT_TRUE(job.Start(UntilStopped, &owner, [&] {
        ++said;
        stopSeen = job.StopAsked();
    }));
    job.AskToStop();
    RunEventsUntil(said, 1);
    EXPECT_TRUE(stopSeen);
}

class RefusedThreads {
  public:
    RefusedThreads() { RefuseThreadsForTests(true); }
    ~RefusedThreads() { RefuseThreadsForTests(false); }
    RefusedThreads(const RefusedThreads&) = delete;
    RefusedThreads& operator=(const RefusedThreads&) = delete;
};

TEST(BackgroundJobTest, WithNoThreadTheWorkRunsOnTheCallingThreadWhenItIsNeeded) {
    const RefusedThreads refused;
    QObject owner;
    BackgroundJob job;
    bool ranHere = false;
    int said = 0;
    // A job someone waits for is done at once, and said done before Start returns.
    EXPECT_FALSE(job.Start(
        [&](std::atomic<bool>&) { ranHere = QThread::currentThread() == owner.thread(); }, &owner,
        [&] { ++said; }));
    EXPECT_TRUE(ranHere);
    EXPECT_EQ(said, 1);

    // One nobody waits for (the photo decoded ahead) runs when its result is
    // asked for, and not at all when it is let go first.
    bool ranLater = false;
    job.Start([&](std::atomic<bool>&) { ranLater = true; });
    EXPECT_FALSE(ranLater);
    EXPECT_FALSE(job.Finished());
    job.Wait();
    EXPECT_TRUE(ranLater);
    EXPECT_TRUE(job.Finished());
    bool ranAtAll = false;
    job.Start([&](std::atomic<bool>&) { ranAtAll = true; });
    job.Stop();
    EXPECT_FALSE(ranAtAll);
}

// Out of memory on a job's thread must end as a failure the owner reports,
// never as std::terminate; and the same on the calling thread.
TEST(BackgroundJobTest, WhatEscapesTheWorkEndsItWithoutEndingTheProgram) {
    for (const bool threads : {true, false}) {
        RefuseThreadsForTests(!threads);
        QObject owner;
        BackgroundJob job;
        int said = 0;
        bool threw = false;
        job.Start([](std::atomic<bool>&) { throw std::bad_alloc(); }, &owner, [&] {
            ++said;
            threw = job.Threw();
        });
        RunEventsUntil(said, 1);
        EXPECT_TRUE(threw) << threads;
        RefuseThreadsForTests(false);
    }
}

}  // namespace
}  // namespace vardesca
