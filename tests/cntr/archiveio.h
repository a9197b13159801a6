#pragma once
// Storing and loading records, and checking refusals, for the archive record tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lynstd/archive.h"

namespace archiveio {

using Bytes = std::vector<unsigned char>;

/// The record `object` writes of itself.
inline Bytes store(sgPersistent& object) {
  sgArchive out;
  object.serialize(out);
  return out.bytes();
}

/// Loads `bytes` into `object`; a record that loads must use every byte.
inline void load(const Bytes& bytes, sgPersistent& object) {
  sgArchive in(bytes);
  object.serialize(in);
  EXPECT_EQ(in.remaining(), 0u);
}

/// Runs `call`, which must throw sgArchive::UnknownVersion naming `source` and `number`.
template <class Call>
void expectUnknownVersion(Call call, const std::string& source, int number) {
  try {
    call();
    ADD_FAILURE() << "nothing was thrown";
  } catch (const sgArchive::UnknownVersion& e) {
    EXPECT_EQ(e.source(), source);
    EXPECT_EQ(e.number(), number);
  }
}

}  // namespace archiveio
