#include "platform/automation/enum_variant.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/automation/automation.h"
#include "unit/platform/automation/test_objects.h"

namespace vant {
namespace {

std::vector<Variant> Numbers(int count) {
  std::vector<Variant> items;
  for (int i = 1; i <= count; ++i) items.push_back(Variant::I4(i));
  return items;
}

// Reads the values Next hands out in batches of `batch` until it is done.
std::vector<int> Drain(IEnumVARIANT* e, std::uint32_t batch) {
  std::vector<int> seen;
  std::vector<Variant> out(batch);
  std::uint32_t fetched = 0;
  HRESULT hr = S_OK;
  while (hr == S_OK) {
    hr = e->Next(batch, out.data(), &fetched);
    for (std::uint32_t i = 0; i < fetched; ++i) seen.push_back(out[i].i4());
  }
  return seen;
}

TEST(EnumVariantTest, NextInBatches) {
  struct Row {
    std::uint32_t batch;
    std::uint32_t firstFetched;
    HRESULT firstStatus;
  };
  for (const Row row : {Row{1, 1, S_OK}, Row{2, 2, S_OK}, Row{5, 5, S_OK}, Row{7, 5, S_FALSE}}) {
    auto e = MakeVariantEnumerator(Numbers(5));
    std::vector<Variant> out(row.batch);
    std::uint32_t fetched = 99;
    EXPECT_EQ(e->Next(row.batch, out.data(), &fetched), row.firstStatus) << "batch " << row.batch;
    EXPECT_EQ(fetched, row.firstFetched) << "batch " << row.batch;
    e->Reset();
    EXPECT_EQ(Drain(e.get(), row.batch), (std::vector<int>{1, 2, 3, 4, 5}))
        << "batch " << row.batch;
  }
}

TEST(EnumVariantTest, FetchedMayBeNull) {
  auto e = MakeVariantEnumerator(Numbers(1));
  Variant out;
  EXPECT_EQ(e->Next(1, &out, nullptr), S_OK);
  EXPECT_EQ(out.i4(), 1);
  EXPECT_EQ(e->Next(1, &out, nullptr), S_FALSE);
}

TEST(EnumVariantTest, SkipAndReset) {
  auto e = MakeVariantEnumerator(Numbers(4));
  EXPECT_EQ(e->Skip(3), S_OK);
  EXPECT_EQ(Drain(e.get(), 2), (std::vector<int>{4}));
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(5), S_FALSE) << "past the end";
  EXPECT_EQ(Drain(e.get(), 2), (std::vector<int>{}));
  e->Reset();
  EXPECT_EQ(e->Skip(4), S_OK) << "exactly to the end";
}

TEST(EnumVariantTest, CloneStartsAtTheSamePositionAndMovesAlone) {
  auto e = MakeVariantEnumerator(Numbers(4));
  ASSERT_EQ(e->Skip(1), S_OK);
  ComPtr<IEnumVARIANT> clone;
  ASSERT_EQ(e->Clone(clone.Receive()), S_OK);
  EXPECT_EQ(Drain(clone.get(), 3), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(Drain(e.get(), 1), (std::vector<int>{2, 3, 4})) << "the original did not move";
  e.Reset();
  clone->Reset();
  EXPECT_EQ(Drain(clone.get(), 4), (std::vector<int>{1, 2, 3, 4})) << "outlives its original";
  EXPECT_EQ(clone->Clone(nullptr), E_POINTER);
}

TEST(EnumVariantTest, SnapshotIsUnaffectedByLaterChanges) {
  std::vector<Variant> items = Numbers(2);
  auto e = MakeVariantEnumerator(items);
  items[0] = Variant::I4(100);
  items.push_back(Variant::I4(3));
  EXPECT_EQ(Drain(e.get(), 10), (std::vector<int>{1, 2}));
}

TEST(EnumVariantTest, HoldsAndReleasesObjectReferences) {
  int deleted = 0;
  {
    auto object = testing::ValueObject::Create(Variant(), S_OK, &deleted);
    auto e = MakeVariantEnumerator({Variant::Dispatch(object.get())});
    object.Reset();
    EXPECT_EQ(deleted, 0) << "the enumerator keeps its own reference";
    Variant out;
    ASSERT_EQ(e->Next(1, &out, nullptr), S_OK);
    EXPECT_NE(out.dispatch(), nullptr);
  }
  EXPECT_EQ(deleted, 1);
}

TEST(EnumVariantTest, QueriesAsEnumVariant) {
  auto e = MakeVariantEnumerator({});
  ComPtr<IEnumVARIANT> again;
  EXPECT_EQ(e.As(IID_IEnumVARIANT, &again), S_OK);
  ComPtr<IDispatch> none;
  EXPECT_EQ(e.As(IID_IDispatch, &none), E_NOINTERFACE);
  Variant out;
  std::uint32_t fetched = 7;
  EXPECT_EQ(e->Next(1, &out, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
}

}  // namespace
}  // namespace vant
