// Objects behind pointers: sharing, back-references, factories, version refusals, nesting depth
// and hostile input (truncated or random bytes).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lynstd/archive.h"
#include "lynstd/handle.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A persistent, shared tree node, shaped like the library's classes: a virtual persistent and
// reference-counted base, a version byte, the sgPersistent level, fields and handle records.
class Node : public virtual sgPersistent, public virtual sgRepBase {
 public:
  static constexpr int kRefusalNumber = 7;
  static inline int live = 0;

  explicit Node(long value = 0) : value(value) { ++live; }
  ~Node() override { --live; }
  static sgPersistent* make() { return new Node; }

  long value;
  sgPtrHandle<Node> left, right;

 protected:
  void dispatchSerialize(sgArchive& ar) override {
    if (haveVisited(ar, this, sizeof(Node))) return;
    unsigned char version = 1;
    ar || version;
    if (version != 1) throw sgArchive::UnknownVersion("node_test", kRefusalNumber);
    sgPersistent::dispatchSerialize(ar);
    ar || value;
    serializeHandle(ar, left);
    serializeHandle(ar, right);
    setVisited(ar, this, sizeof(Node));
  }

 private:
  static void serializeHandle(sgArchive& ar, sgPtrHandle<Node>& h) {
    if (ar.isLoading()) h.reset();
    sgPersistent* loaded = nullptr;
    serializePointer(ar, h.get(), loaded);
    if (ar.isLoading()) h = sgPtrHandle<Node>(dynamic_cast<Node*>(loaded));
  }
};

const sg_Instantiator kNodeFactory(typeid(Node), &Node::make);

Bytes storeRoot(Node* root) {
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, root, unused);
  return out.bytes();
}

// Loads one pointer record and hands the node to a handle, so the archive can be dropped.
sgPtrHandle<Node> loadRoot(const Bytes& bytes) {
  sgArchive in(bytes);
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(in, nullptr, loaded);
  return sgPtrHandle<Node>(dynamic_cast<Node*>(loaded));
}

class ArchivePointers : public ::testing::Test {
 protected:
  // Every test must leave no node behind: loaded objects are released with their archive.
  void TearDown() override { EXPECT_EQ(Node::live, 0); }
};

TEST_F(ArchivePointers, SharedObjectComesBackAsOneObjectWithExactCounts) {
  {
    sgPtrHandle<Node> root(new Node(1));
    root->left = root->right = sgPtrHandle<Node>(new Node(2));
    const Bytes bytes = storeRoot(root.get());

    sgArchive in(bytes);
    sgPersistent* loaded = nullptr;
    sgPersistent::serializePointer(in, nullptr, loaded);
    Node* node = dynamic_cast<Node*>(loaded);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->value, 1);
    ASSERT_TRUE(node->left);
    EXPECT_EQ(node->left.get(), node->right.get());
    EXPECT_EQ(node->left->value, 2);
    EXPECT_EQ(node->refCount(), 1);        // the archive's reference
    EXPECT_EQ(node->left->refCount(), 3);  // the archive's and both handles
    EXPECT_EQ(Node::live, 4);
  }
}

TEST_F(ArchivePointers, ObjectsAreWrittenOncePerArchive) {
  sgPtrHandle<Node> a(new Node(5));
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, a.get(), unused);
  const std::size_t firstSize = out.bytes().size();
  sgPersistent::serializePointer(out, a.get(), unused);
  EXPECT_EQ(out.bytes().size(), firstSize + 9);  // a tag and an object number

  sgArchive in(out.bytes());
  sgPersistent *first = nullptr, *second = nullptr;
  sgPersistent::serializePointer(in, nullptr, first);
  sgPersistent::serializePointer(in, nullptr, second);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(in.remaining(), 0u);
}

TEST_F(ArchivePointers, NullPointersRoundTrip) {
  EXPECT_EQ(storeRoot(nullptr), Bytes{0});
  EXPECT_TRUE(loadRoot(Bytes{0}).isNull());
  sgPtrHandle<Node> leaf(new Node(3));
  sgPtrHandle<Node> loaded = loadRoot(storeRoot(leaf.get()));
  EXPECT_TRUE(loaded->left.isNull());
  EXPECT_TRUE(loaded->right.isNull());
}

TEST_F(ArchivePointers, CycleLoadsBecauseObjectsAreListedBeforeTheirRecords) {
  sgPtrHandle<Node> a(new Node(1));
  a->left = sgPtrHandle<Node>(new Node(2));
  a->left->left = a;
  sgPtrHandle<Node> loaded = loadRoot(storeRoot(a.get()));
  ASSERT_TRUE(loaded->left);
  EXPECT_EQ(loaded->left->left.get(), loaded.get());
  // Break both cycles so the nodes can be freed.
  a->left->left.reset();
  loaded->left->left.reset();
}

TEST_F(ArchivePointers, SerializeIsOnePassAndMarksAreClearedAfterIt) {
  Node n(9);
  sgArchive out;
  n.serialize(out);
  const std::size_t once = out.bytes().size();
  EXPECT_EQ(once, 1u + 1u + 8u + 1u + 1u);  // versions, value, two null pointers
  n.serialize(out);                         // a new pass writes the whole record again
  EXPECT_EQ(out.bytes().size(), 2 * once);

  Node m;
  sgArchive in(out.bytes());
  m.serialize(in);
  EXPECT_EQ(m.value, 9);
  m.value = 0;
  m.serialize(in);
  EXPECT_EQ(m.value, 9);
}

TEST_F(ArchivePointers, UnknownVersionsCarrySourceAndNumber) {
  Node n(4);
  sgArchive out;
  n.serialize(out);
  Bytes bytes = out.bytes();
  bytes[0] = 2;  // the Node level's version
  try {
    Node m;
    sgArchive in(bytes);
    m.serialize(in);
    FAIL() << "version 2 accepted";
  } catch (const sgArchive::UnknownVersion& e) {
    EXPECT_EQ(e.source(), "node_test");
    EXPECT_EQ(e.number(), Node::kRefusalNumber);
  }
  bytes[0] = 1;
  bytes[1] = 3;  // the sgPersistent level's version
  try {
    Node m;
    sgArchive in(bytes);
    m.serialize(in);
    FAIL() << "sgPersistent version 3 accepted";
  } catch (const sgArchive::UnknownVersion& e) {
    EXPECT_EQ(e.source(), "sgPersistent");
    EXPECT_EQ(e.number(), 3);
  }
}

TEST_F(ArchivePointers, BadTagsNumbersAndClassNamesAreCorrupt) {
  EXPECT_THROW(loadRoot(Bytes{3}), sgArchive::Corrupt);
  EXPECT_THROW(loadRoot(Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0}), sgArchive::Corrupt);  // nothing read yet

  sgArchive out;
  unsigned char tag = 2;
  std::string name = "NoSuchClass";
  out || tag || name;
  try {
    loadRoot(out.bytes());
    FAIL() << "unregistered class accepted";
  } catch (const sgArchive::Corrupt& e) {
    EXPECT_NE(e.message().find(L"NoSuchClass"), std::wstring::npos);
  }
  // A registered name followed by garbage after a NUL must not match it.
  sgArchive out2;
  std::string padded = std::string(typeid(Node).name()) + std::string(1, '\0') + "x";
  out2 || tag || padded;
  EXPECT_THROW(loadRoot(out2.bytes()), sgArchive::Corrupt);
}

// A chain of n nodes of value 1 linked through `left`.
sgPtrHandle<Node> makeChain(int n) {
  sgPtrHandle<Node> head;
  for (int i = 0; i < n; ++i) {
    sgPtrHandle<Node> next(new Node(1));
    next->left = head;
    head = next;
  }
  return head;
}

// The bytes of a chain of n nodes, built from the record of one node: every node's prefix (tag,
// name, versions, value), then the innermost null `left`, then each node's null `right`.
Bytes chainBytes(int n) {
  sgPtrHandle<Node> one(new Node(1));
  const Bytes single = storeRoot(one.get());
  const Bytes prefix(single.begin(), single.end() - 2);
  Bytes bytes;
  for (int i = 0; i < n; ++i) bytes.insert(bytes.end(), prefix.begin(), prefix.end());
  bytes.insert(bytes.end(), static_cast<std::size_t>(n) + 1, 0);
  return bytes;
}

TEST_F(ArchivePointers, NestingIsCappedInBothDirections) {
  EXPECT_EQ(storeRoot(makeChain(3).get()), chainBytes(3));
  EXPECT_NO_THROW(loadRoot(chainBytes(sgArchive::kMaxDepth)));
  EXPECT_THROW(loadRoot(chainBytes(sgArchive::kMaxDepth + 1)), sgArchive::Corrupt);
  EXPECT_THROW(loadRoot(chainBytes(100000)), sgArchive::Corrupt);
  EXPECT_THROW(storeRoot(makeChain(sgArchive::kMaxDepth + 1).get()), sgArchive::Error);
}

Bytes sampleArchive() {
  sgPtrHandle<Node> root(new Node(-1));
  root->left = sgPtrHandle<Node>(new Node(2));
  root->right = sgPtrHandle<Node>(new Node(3));
  root->right->left = root->left;
  root->left->right = sgPtrHandle<Node>(new Node(4));
  return storeRoot(root.get());
}

// Loads bytes; only a clean result or an archive error is acceptable.
void expectCleanOrArchiveError(const Bytes& bytes, const std::string& what) {
  try {
    loadRoot(bytes);
  } catch (const sgArchive::Error&) {
  } catch (const std::exception& e) {
    ADD_FAILURE() << what << ": " << typeid(e).name() << " " << e.what();
  }
}

TEST_F(ArchivePointers, EveryTruncationFailsCleanly) {
  const Bytes full = sampleArchive();
  EXPECT_EQ(loadRoot(full)->right->left->value, 2);
  for (std::size_t len = 0; len < full.size(); ++len)
    EXPECT_THROW(loadRoot(Bytes(full.begin(), full.begin() + static_cast<long>(len))), sgArchive::Error)
        << "length " << len;
}

TEST_F(ArchivePointers, RandomAndMutatedInputNeverEscapesAsAnotherError) {
  const Bytes valid = sampleArchive();
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < 2000; ++i) {
    Bytes noise(static_cast<std::size_t>(rng() % 64));
    for (auto& b : noise) b = static_cast<unsigned char>(byte(rng));
    expectCleanOrArchiveError(noise, "random input " + std::to_string(i));

    Bytes mutated = valid;
    for (int k = 1 + static_cast<int>(rng() % 3); k > 0; --k)
      mutated[rng() % mutated.size()] = static_cast<unsigned char>(byte(rng));
    expectCleanOrArchiveError(mutated, "mutation " + std::to_string(i));
  }
}

}  // namespace
