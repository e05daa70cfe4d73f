// SPDX-License-Identifier: GPL-3.0-or-later
// What the engine tells its observer, step by step: each thing it did, once,
// with the state already the new one, and nothing for a step that completed
// nothing (a first point, a pair given up, a point taken back, the limit).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/measure_engine.h"
#include "tests/engine/fakes.h"

namespace vardesca {
namespace {

class Told : public MeasureObserver {
  public:
    explicit Told(const MeasureEngine& engine) : engine_(engine) {}
    void ReferenceCompleted(int which) override {
        // The segment told of is the pair just measured.
        said.push_back("reference " + std::to_string(which) + " " + Segment());
    }
    void MeasurementAdded(const MeasuredPair& m) override { said.push_back("added " + Of(m)); }
    void MeasurementTakenBack(const MeasuredPair& m) override {
        said.push_back("taken back " + Of(m));
    }
    void MeasurementRedone(const MeasuredPair& m) override { said.push_back("redone " + Of(m)); }
    void CalibrationReset() override { said.push_back("reset"); }
    std::vector<std::string> said;

  private:
    std::string Segment() const {
        return std::to_string(engine_.x0()) + "," + std::to_string(engine_.y0()) + "-" +
               std::to_string(engine_.x1()) + "," + std::to_string(engine_.y1());
    }
    std::string Of(const MeasuredPair& m) const {
        return std::to_string(m.number) + " " + std::to_string(int(m.xa)) + "," +
               std::to_string(int(m.ya)) + "-" + std::to_string(int(m.xb)) + "," +
               std::to_string(int(m.yb)) + " n=" + std::to_string(engine_.n());
    }
    const MeasureEngine& engine_;
};

class MeasureObserverTest : public ::testing::Test, protected testing::EngineParts {
  protected:
    void SetUp() override { engine.SetObserver(&told); }
    std::vector<std::string> Said() { return std::exchange(told.said, {}); }
    Told told{engine};
};

TEST_F(MeasureObserverTest, EachStepIsToldOnceAndOnlyWhatCompletedSomething) {
    engine.StartCalibration();
    dialogs.replies = {"", "2", "abc", "5"};
    engine.HandleClick(150, 300);
    EXPECT_TRUE(Said().empty());  // a first point
    engine.HandleClick(1650, 300);
    EXPECT_TRUE(Said().empty());  // the pair given up (an empty reply)
    engine.HandleClick(150, 300);
    engine.HandleClick(150, 300);
    EXPECT_TRUE(Said().empty());  // the two points coincide
    engine.HandleClick(150, 300);
    engine.HandleClick(1650, 300);
    EXPECT_EQ(Said(), std::vector<std::string>{"reference 0 150,300-1650,300"});
    engine.HandleClick(300, 450);
    engine.HandleClick(300, 3450);  // "abc" refused, then 5
    EXPECT_EQ(Said(), std::vector<std::string>{"reference 1 300,450-300,3450"});
    ASSERT_EQ(engine.azione(), MeasureEngine::Measuring);

    engine.HandleClick(100.4f, 200);
    EXPECT_TRUE(Said().empty());
    engine.HandleClick(775, 200);
    EXPECT_EQ(Said(), std::vector<std::string>{"added 1 100,200-775,200 n=1"});
    engine.HandleClick(10, 20);
    EXPECT_TRUE(engine.Undo());  // the pending point: nothing completed went
    EXPECT_TRUE(Said().empty());
    EXPECT_TRUE(engine.Undo());
    EXPECT_EQ(Said(), std::vector<std::string>{"taken back 1 100,200-775,200 n=0"});
    EXPECT_TRUE(engine.Redo());
    EXPECT_EQ(Said(), std::vector<std::string>{"redone 1 100,200-775,200 n=1"});
    EXPECT_TRUE(engine.Redo());  // the point alone
    EXPECT_TRUE(Said().empty());
    engine.HandleClick(40, 20);
    EXPECT_EQ(Said(), std::vector<std::string>{"added 2 10,20-40,20 n=2"});

    engine.Reset();
    EXPECT_EQ(Said(), std::vector<std::string>{"reset"});
    engine.HandleClick(1, 1);  // idle: nothing
    EXPECT_TRUE(Said().empty());

    // No observer: the same steps, told to nobody.
    engine.SetObserver(nullptr);
    engine.StartCalibration();
    dialogs.replies = {"2", "5"};
    for (const auto& [x, y] : {std::pair{150.f, 300.f}, {1650.f, 300.f}, {300.f, 450.f},
                               {300.f, 3450.f}, {10.f, 10.f}, {20.f, 10.f}}) {
        engine.HandleClick(x, y);
    }
    EXPECT_EQ(engine.n(), 1);
    EXPECT_TRUE(told.said.empty());
}

}  // namespace
}  // namespace vardesca
