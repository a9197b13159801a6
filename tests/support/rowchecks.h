#pragma once
// What the row-driven runners all compare: answers as flat lists of numbers, and errors written
// "!Type message" in a row.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "support/casetable.h"

namespace rowchecks {

using Numbers = std::vector<double>;

inline Numbers operator+(Numbers a, const Numbers& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
inline Numbers num(double v) { return {v}; }
inline Numbers num(const sgVector<2>& v) { return {v.x(), v.y()}; }
inline Numbers num(const std::vector<int>& v) { return Numbers(v.begin(), v.end()); }
inline Numbers num(const sgMatrix<2>& m) { return {m(0, 0), m(0, 1), m(1, 0), m(1, 1)}; }
inline Numbers num(const sgRect& r) { return num(r.origin()) + num(r.size()); }
inline Numbers num(const casetable::Points& points) {
  Numbers out;
  for (const sgVector<2>& p : points) out = out + num(p);
  return out;
}

/// `m00 m01 m10 m11 tx ty`
inline sgXform<2> xformOf(const std::string& text) {
  const Numbers v = casetable::numbersOf(text);
  return sgXform<2>(sgMatrix<2>(v.at(0), v.at(1), v.at(2), v.at(3)), sgVector<2>(v.at(4), v.at(5)));
}

/// `call` must throw the library's error "!Type message" (no message: an empty one); twice, since
/// a failure must not leave a cached answer behind.
inline void expectError(const std::function<void()>& call, const std::string& expected) {
  const std::size_t space = std::min(expected.find(' '), expected.size());
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      call();
      ADD_FAILURE() << "nothing was thrown, expected " << expected;
    } catch (const sgException& e) {
      // The mangled name holds the class name; no error name is part of another.
      EXPECT_NE(std::string(typeid(e).name()).find(expected.substr(1, space - 1)), std::string::npos);
      const std::wstring text = e.message();
      EXPECT_EQ(std::string(text.begin(), text.end()), expected.substr(std::min(space + 1, expected.size())));
    }
  }
}

/// Each number within its tolerance (one for all, or one each); a NaN or infinite expectation must
/// be met exactly.
inline void expectNumbers(const Numbers& actual, const Numbers& want, const Numbers& tolerances) {
  ASSERT_EQ(actual.size(), want.size()) << testing::PrintToString(actual);
  for (std::size_t i = 0; i < want.size(); ++i) {
    if (std::isfinite(want[i]))
      EXPECT_NEAR(actual[i], want[i], tolerances.size() == 1 ? tolerances[0] : tolerances.at(i))
          << "number " << i;
    else
      EXPECT_TRUE(std::isnan(want[i]) ? std::isnan(actual[i]) : actual[i] == want[i]) << actual[i];
  }
}

}  // namespace rowchecks
