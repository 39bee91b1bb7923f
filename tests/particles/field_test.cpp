// The field: 10 positions at fill 50 % hold 5 particles, at once after a
// restart with ages spread over the life, and always at distinct places of
// the table, which dying particles give back.

#include "particles/field.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using FieldKind = ParticleKindTest;

TEST_F(FieldKind, KeepsItsShareOfPositionsOccupiedWithMixedAges) {
  QVX_FieldPtclSys field;
  for (int i = 0; i < 10; ++i) field.positions.push_back({float(10 * i), 5, 0});
  field.fill.SetValue(50);
  field.life.SetValue(100);  // 1 s
  auto rt = Start(field);
  ASSERT_EQ(rt->Engine().Count(), 5u) << "full at once";
  std::set<float> ages;
  for (size_t i = 0; i < 5; ++i) ages.insert(rt->Engine().At(i).age);
  EXPECT_EQ(ages.size(), 5u);
  EXPECT_GE(*ages.begin(), 0.0f);
  EXPECT_LE(*ages.rbegin(), 1.0f);
  for (int k = 1; k <= 200; ++k) {
    rt->Advance(float(k) / 50);
    ASSERT_EQ(rt->Engine().Count(), 5u) << "at " << float(k) / 50;
    std::set<float> places;
    for (size_t i = 0; i < 5; ++i) places.insert(rt->Engine().At(i).position.x);
    ASSERT_EQ(places.size(), 5u) << "one particle a position";
  }
}

TEST_F(FieldKind, TheShareIsTakenInSinglePrecision) {
  // 10 × 0.7f is 7 in single precision (6.99999988 in double).
  for (const auto& [fill, kept] : {std::pair{70u, 7u}, {50u, 5u}, {100u, 10u}, {0u, 0u}}) {
    SCOPED_TRACE(fill);
    QVX_FieldPtclSys field;
    for (int i = 0; i < 10; ++i) field.positions.push_back({float(10 * i), 5, 0});
    field.fill.SetValue(fill);
    field.life.SetValue(100);
    auto rt = Start(field);
    EXPECT_EQ(rt->Engine().Count(), kept);
    rt->Advance(0.5f);
    EXPECT_EQ(rt->Engine().Count(), kept);
  }
}

}  // namespace
}  // namespace glimmer::testing
