#include <gtest/gtest.h>

#include "kpxwizard/transformations.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"

using namespace kpx;

namespace {

// Both collections follow one pattern; run the same checks on each.
template <typename Collection>
class KeyedCollectionTest : public ::testing::Test {};
using Collections = ::testing::Types<clsColumns, clsTransformations>;
TYPED_TEST_SUITE(KeyedCollectionTest, Collections);

TYPED_TEST(KeyedCollectionTest, KeysIgnoreCaseAndMustBeUnique) {
  TypeParam c;
  auto code = c.Add("Code");
  EXPECT_EQ(c.Item("CODE"), code);
  EXPECT_THROW(c.Add("code"), AutomationError);
  auto accented = c.Add("Città");
  EXPECT_EQ(c.Item("CITTÀ"), accented);
}

TYPED_TEST(KeyedCollectionTest, PositionsRunFromOneInInsertionOrder) {
  TypeParam c;
  auto a = c.Add("a");
  auto b = c.Add("b");
  EXPECT_EQ(c.Item(1), a);
  EXPECT_EQ(c.Item(2), b);
  // The error a host sees is checked through the dispatch interface (AutomationCalls).
  EXPECT_THROW(c.Item(3), AutomationError);
  EXPECT_THROW(c.Item(0), AutomationError);
}

TYPED_TEST(KeyedCollectionTest, RemoveByPositionOrKey) {
  TypeParam c;
  c.Add("a");
  c.Add("b");
  c.Add("c");
  c.Remove("B");
  c.Remove(1);
  ASSERT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Item(1)->Name(), "c");
  EXPECT_THROW(c.Remove("missing"), AutomationError);
  EXPECT_THROW(c.Remove(5), AutomationError);
  EXPECT_EQ(c.Count(), 1);
}

class CloneTest : public ::testing::Test {
 protected:
  void SetUp() override { wizard = cKPXWizard::create(); }
  void TearDown() override {
    if (wizard) wizard->CloseWizard();
  }
  std::shared_ptr<cKPXWizard> wizard;
};

TEST_F(CloneTest, CopiesDeeplyAndIndependently) {
  auto& source = *wizard->Transformations();
  auto t = source.Add("Total");
  t->setConstantValue("42");
  auto d = t->DestinationFields()->Add("Total");
  d->setSize(10);
  t->SourceFields()->Add("Amount")->setSize(8);

  auto copy = source.Clone();
  auto c = copy->Item("total");
  EXPECT_NE(c, t);
  EXPECT_EQ(c->ConstantValue(), "42");
  auto cd = c->DestinationFields()->Item("Total");
  EXPECT_EQ(cd->Size(), 10);
  EXPECT_EQ(c->SourceFields()->Item(1)->Size(), 8);

  cd->setSize(99);
  EXPECT_EQ(d->Size(), 10);
}

}  // namespace
