// The foundation's exceptions: numbers, messages, rethrowing as the true type, persistence.
#include "lynstd/exceptions.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <typeinfo>

#include "lynstd/archive.h"

namespace {

int destroyed = 0;

// Counts its destruction, so a test can see that suicideAndRethrow freed the heap object.
template <class E>
class Counted : public E {
 public:
  using E::E;
  ~Counted() override { ++destroyed; }
};

// One representative of each concrete class, built as T (E itself or Counted<E>).
template <class E, class T = E>
T* makeSample() {
  if constexpr (std::is_same_v<E, sgFitError> || std::is_same_v<E, sgArchive::Error> ||
                std::is_same_v<E, sgArchive::Corrupt>)
    return new T(L"sample \u00e9");
  else if constexpr (std::is_same_v<E, sgArchive::UnknownVersion>)
    return new T("cntr/sample", 31);
  else
    return new T();
}

template <class E>
class ExceptionClass : public ::testing::Test {};

using Concrete =
    ::testing::Types<sgException, sgBadPointer, sgMathError::Singular, sgPel::BadWindow, sgFitError,
                     sgArchive::Error, sgArchive::UnknownVersion, sgArchive::EndOfData, sgArchive::Corrupt>;
TYPED_TEST_SUITE(ExceptionClass, Concrete);

TYPED_TEST(ExceptionClass, SuicideAndRethrowThrowsTheTrueTypeAndFreesTheObject) {
  const std::unique_ptr<TypeParam> reference(makeSample<TypeParam>());
  destroyed = 0;
  sgException* base = makeSample<TypeParam, Counted<TypeParam>>();
  try {
    base->suicideAndRethrow();
    FAIL() << "returned";
  } catch (const TypeParam& e) {
    EXPECT_EQ(typeid(e), typeid(TypeParam));
    EXPECT_EQ(e.message(), reference->message());
    EXPECT_EQ(e.errorNumber(), reference->errorNumber());
  }
  EXPECT_EQ(destroyed, 1);
}

TYPED_TEST(ExceptionClass, RoundTripsThroughAPointerRecord) {
  const std::unique_ptr<TypeParam> original(makeSample<TypeParam>());
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, original.get(), unused);

  sgArchive in(out.bytes());
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(in, nullptr, loaded);
  EXPECT_EQ(in.remaining(), 0u);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(typeid(*loaded), typeid(TypeParam));
  // Exceptions are not reference-counted: the loaded object belongs to the caller.
  auto* copy = dynamic_cast<TypeParam*>(loaded);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->message(), original->message());
  if constexpr (std::is_same_v<TypeParam, sgArchive::UnknownVersion>) {
    EXPECT_EQ(copy->source(), "cntr/sample");
    EXPECT_EQ(copy->number(), 31);
  }
  EXPECT_THROW(copy->suicideAndRethrow(), TypeParam);
}

TEST(Exceptions, NumbersAreDistinctAndClearOfTheLibraryRange) {
  const std::unique_ptr<sgException> all[] = {std::make_unique<sgException>(),
                                              std::make_unique<sgBadPointer>(),
                                              std::make_unique<sgMathError::Singular>(),
                                              std::make_unique<sgPel::BadWindow>(),
                                              std::make_unique<sgFitError>(L""),
                                              std::make_unique<sgArchive::Error>(L""),
                                              std::make_unique<sgArchive::UnknownVersion>(nullptr, 0),
                                              std::make_unique<sgArchive::EndOfData>(),
                                              std::make_unique<sgArchive::Corrupt>(L"")};
  std::set<long> numbers;
  for (const auto& e : all) {
    numbers.insert(e->errorNumber());
    EXPECT_FALSE(e->errorNumber() >= 0x10004680 && e->errorNumber() <= 0x10004684) << e->errorNumber();
  }
  EXPECT_EQ(numbers.size(), std::size(all));
  EXPECT_EQ(sgException().errorNumber(), 0x10000000);
  EXPECT_EQ(sgBadPointer().errorNumber(), 0x10000001);
  EXPECT_EQ(sgMathError::Singular().errorNumber(), 0x10000010);
  EXPECT_EQ(sgArchive::Corrupt(L"").errorNumber(), 0x10000103);
}

TEST(Exceptions, MessagesAndWhat) {
  EXPECT_EQ(sgException().message(), L"");
  EXPECT_EQ(sgBadPointer().message(), L"empty handle dereferenced");
  EXPECT_FALSE(sgMathError::Singular().message().empty());
  EXPECT_FALSE(sgPel::BadWindow().message().empty());
  const sgFitError fit(L"\u03c0 \u2248 3 \U0001D11E");
  EXPECT_EQ(fit.string(), L"\u03c0 \u2248 3 \U0001D11E");
  EXPECT_STREQ(fit.what(), "\xcf\x80 \xe2\x89\x88 3 \xf0\x9d\x84\x9e");
  // A value that is no Unicode character still gives valid UTF-8 (the replacement character).
  EXPECT_STREQ(sgFitError(std::wstring(1, wchar_t(0xD800))).what(), "\xef\xbf\xbd");
  const std::exception& asStd = sgBadPointer();
  EXPECT_STREQ(asStd.what(), "empty handle dereferenced");
}

TEST(Exceptions, UnknownVersionNamesSourceAndNumber) {
  const sgArchive::UnknownVersion e("cntr/contour", 900);
  EXPECT_EQ(e.source(), "cntr/contour");
  EXPECT_EQ(e.number(), 900);
  EXPECT_NE(e.message().find(L"cntr/contour"), std::wstring::npos);
  EXPECT_NE(e.message().find(L"900"), std::wstring::npos);
  const sgArchive::UnknownVersion anonymous(nullptr, 0);
  EXPECT_EQ(anonymous.source(), "");
  EXPECT_FALSE(anonymous.message().empty());
}

TEST(Exceptions, RecordLayoutAndLevelVersionRefusal) {
  // Levels from the most derived down: sgExceptionWithString, sgException, sgPersistent, then
  // the message as a wide string.
  sgFitError fit(L"ab");
  sgArchive out;
  fit.serialize(out);
  const std::vector<unsigned char> expected{0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 'a', 0, 0, 0, 'b', 0, 0, 0};
  EXPECT_EQ(out.bytes(), expected);

  for (std::size_t level = 0; level < 2; ++level) {
    std::vector<unsigned char> bytes = expected;
    bytes[level] = 1;
    sgFitError target(L"");
    sgArchive in(bytes);
    try {
      target.serialize(in);
      FAIL() << "version 1 accepted at level " << level;
    } catch (const sgArchive::UnknownVersion& e) {
      EXPECT_EQ(e.source(), level == 0 ? "sgExceptionWithString" : "sgException");
      EXPECT_EQ(e.number(), 0);
    }
  }
  sgBadPointer bad;
  sgArchive out2;
  bad.serialize(out2);
  std::vector<unsigned char> bytes = out2.bytes();
  ASSERT_EQ(bytes.size(), 3u);
  bytes[0] = 1;
  sgArchive in(bytes);
  try {
    bad.serialize(in);
    FAIL() << "version 1 accepted";
  } catch (const sgArchive::UnknownVersion& e) {
    EXPECT_EQ(e.source(), "sgBadPointer");
  }
}

}  // namespace
