// Reference-counted handles: counts, sharing, const conversion, empty handles, threads.
#include "lynstd/handle.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

class Shape : public sgRepBase {
 public:
  static inline int live = 0;
  explicit Shape(int id = 0) : id(id) { ++live; }
  Shape(const Shape& o) : sgRepBase(o), id(o.id) { ++live; }
  Shape& operator=(const Shape&) = default;
  ~Shape() override { --live; }
  int id;
};

class Square : public Shape {
 public:
  using Shape::Shape;
};

class Handles : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(Shape::live, 0); }
};

TEST_F(Handles, CopiesShareMovesDoNotCountAndTheLastReleaseDeletes) {
  sgPtrHandle<Shape> a(new Shape(1));
  EXPECT_EQ(a->refCount(), 1);
  {
    sgPtrHandle<Shape> b = a;
    sgPtrHandle_const<Shape> c = a;
    EXPECT_EQ(b.get(), a.get());
    EXPECT_EQ(c.get(), a.get());
    EXPECT_EQ(a->refCount(), 3);
    b->id = 7;
    EXPECT_EQ(c->id, 7);
  }
  EXPECT_EQ(a->refCount(), 1);
  a = a;  // self-assignment keeps the object
  EXPECT_EQ(a->refCount(), 1);
  EXPECT_EQ(Shape::live, 1);
  sgPtrHandle<Shape> moved = std::move(a);  // moves transfer without counting
  EXPECT_TRUE(a.isNull());                  // NOLINT: checking the moved-from state on purpose
  EXPECT_EQ(moved->refCount(), 1);
  moved.reset();
  EXPECT_TRUE(moved.isNull());
  EXPECT_EQ(Shape::live, 0);
}

TEST_F(Handles, ConversionsFollowPointerRules) {
  sgPtrHandle<Square> square(new Square(4));
  sgPtrHandle<Shape> shape = square;  // upcast
  sgPtrHandle_const<Shape> constShape = square;
  sgPtrHandle_const<Square> constSquare(square);
  sgPtrHandle_const<Shape> fromConst = constSquare;
  EXPECT_EQ(fromConst.get(), shape.get());
  EXPECT_EQ(square->refCount(), 5);
  static_assert(!std::is_convertible_v<sgPtrHandle_const<Shape>, sgPtrHandle<Shape>>);
  static_assert(!std::is_convertible_v<sgPtrHandle<Shape>, sgPtrHandle<Square>>);
}

TEST_F(Handles, EmptyHandlesThrowBadPointerOnDereference) {
  sgPtrHandle<Shape> empty;
  sgPtrHandle_const<Shape> emptyConst;
  EXPECT_FALSE(empty);
  EXPECT_EQ(empty.get(), nullptr);
  EXPECT_THROW(*empty, sgBadPointer);
  EXPECT_THROW((void)empty->id, sgBadPointer);
  EXPECT_THROW(*emptyConst, sgBadPointer);
  EXPECT_THROW((void)emptyConst->id, sgBadPointer);
  EXPECT_EQ(empty, sgPtrHandle<Shape>());
}

TEST_F(Handles, CopiesOfRepresentationsStartUncounted) {
  sgPtrHandle<Shape> a(new Shape(2));
  sgPtrHandle<Shape> b(new Shape(*a));
  EXPECT_EQ(b->refCount(), 1);
  EXPECT_EQ(b->id, 2);
  *b = *a;  // assignment copies the value, not the count
  EXPECT_EQ(b->refCount(), 1);
}

TEST_F(Handles, ConcurrentCopiesKeepExactCounts) {
  constexpr int kThreads = 4, kRounds = 20000;
  sgPtrHandle<Shape> shared(new Shape);
  {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&shared] {
        std::vector<sgPtrHandle_const<Shape>> held;
        for (int i = 0; i < kRounds; ++i) {
          held.emplace_back(shared);
          if (held.size() > 8) held.erase(held.begin());
        }
      });
    for (auto& t : threads) t.join();
  }
  EXPECT_EQ(shared->refCount(), 1);

  // Releases racing to zero delete the object exactly once.
  std::vector<sgPtrHandle<Shape>> copies(kThreads, shared);
  shared.reset();
  std::vector<std::thread> threads;
  for (auto& c : copies) threads.emplace_back([&c] { c.reset(); });
  for (auto& t : threads) t.join();
  EXPECT_EQ(Shape::live, 0);
}

}  // namespace
