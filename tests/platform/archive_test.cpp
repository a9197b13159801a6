// The archive's pointer machinery on a persistent tree node: sharing and reference counts, one
// pass per record, the nesting cap, and archive files. Value encodings, refusals and truncations
// are rows of tests/data/archives.cases.
#include "lynstd/archive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "lynstd/handle.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Shaped like the library's classes: a virtual persistent and reference-counted base, a version
// byte, the sgPersistent level, a field and two handle records.
class Node : public virtual sgPersistent, public virtual sgRepBase {
 public:
  static inline int live = 0;
  explicit Node(long value = 0) : value(value) { ++live; }
  ~Node() override { --live; }
  long value;
  sgPtrHandle<Node> left, right;

 protected:
  void dispatchSerialize(sgArchive& ar) override {
    if (haveVisited(ar, this, sizeof(Node))) return;
    unsigned char version = 1;
    ar || version;
    sgPersistent::dispatchSerialize(ar);
    ar || value;
    for (sgPtrHandle<Node>* h : {&left, &right}) {
      sgPersistent* loaded = nullptr;
      serializePointer(ar, h->get(), loaded);
      if (ar.isLoading()) *h = sgPtrHandle<Node>(dynamic_cast<Node*>(loaded));
    }
    setVisited(ar, this, sizeof(Node));
  }
};

const sg_Instantiator kNodeFactory(typeid(Node), [] { return static_cast<sgPersistent*>(new Node); });

Bytes storeRoot(Node* root) {
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, root, unused);
  return out.bytes();
}

sgPtrHandle<Node> loadRoot(const Bytes& bytes) {
  sgArchive in(bytes);
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(in, nullptr, loaded);
  return sgPtrHandle<Node>(dynamic_cast<Node*>(loaded));
}

class ArchivePointers : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(Node::live, 0) << "loaded objects outlived their holders"; }
};

TEST_F(ArchivePointers, SharedObjectIsWrittenOnceAndLoadedAsOneWithExactCounts) {
  sgPtrHandle<Node> root(new Node(1));
  root->left = root->right = sgPtrHandle<Node>(new Node(2));
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, root.get(), unused);
  const std::size_t once = out.bytes().size();
  sgPersistent::serializePointer(out, root.get(), unused);
  EXPECT_EQ(out.bytes().size(), once + 9) << "a tag and an object number";
  {
    sgArchive in(out.bytes());
    sgPersistent *first = nullptr, *second = nullptr;
    sgPersistent::serializePointer(in, nullptr, first);
    sgPersistent::serializePointer(in, nullptr, second);
    const Node* node = dynamic_cast<Node*>(first);
    ASSERT_TRUE(node && node->left);
    EXPECT_EQ(first, second);
    EXPECT_EQ(node->left.get(), node->right.get());
    EXPECT_EQ(node->left->value, 2);
    EXPECT_EQ(node->refCount(), 1) << "the archive's reference";
    EXPECT_EQ(node->left->refCount(), 3) << "the archive's and both handles";
  }
  // Each serialize is one pass: its visited marks are gone when the record ends.
  Node n(9);
  sgArchive twice;
  n.serialize(twice);
  n.serialize(twice);
  EXPECT_EQ(twice.bytes().size(), 2 * (1u + 1u + 8u + 1u + 1u));
}

TEST_F(ArchivePointers, CycleLoadsBecauseObjectsAreListedBeforeTheirRecords) {
  sgPtrHandle<Node> a(new Node(1));
  a->left = sgPtrHandle<Node>(new Node(2));
  a->left->left = a;
  sgPtrHandle<Node> loaded = loadRoot(storeRoot(a.get()));
  ASSERT_TRUE(loaded && loaded->left);
  EXPECT_EQ(loaded->left->left.get(), loaded.get());
  a->left->left.reset();  // break both cycles so that the nodes are freed
  loaded->left->left.reset();
}

TEST_F(ArchivePointers, NestingIsCappedInBothDirections) {
  const auto chain = [](int n) {
    sgPtrHandle<Node> head;
    for (int i = 0; i < n; ++i) {
      sgPtrHandle<Node> next(new Node(1));
      next->left = head;
      head = next;
    }
    return head;
  };
  const Bytes deepest = storeRoot(chain(sgArchive::kMaxDepth).get());
  EXPECT_NO_THROW(loadRoot(deepest));
  // One node more: the node's record without its pointers, then the chain, then its null right.
  const Bytes single = storeRoot(chain(1).get());
  Bytes deeper(single.begin(), single.end() - 2);
  deeper.insert(deeper.end(), deepest.begin(), deepest.end());
  deeper.push_back(0);
  EXPECT_THROW(loadRoot(deeper), sgArchive::Corrupt);
  EXPECT_THROW(storeRoot(chain(sgArchive::kMaxDepth + 1).get()), sgArchive::Error);
}

TEST(ArchiveFiles, WrittenWholeReplacedAndRefusedWithThePath) {
  const auto dir = std::filesystem::temp_directory_path() / ("archive_test." + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  sgArchive out;
  std::wstring text = L"file \u20ac";
  out || text;
  const std::string path = (dir / "a.bin").string();
  out.writeFile(path);
  out.writeFile(path);  // replacing an existing file works too
  EXPECT_EQ(std::unique_ptr<sgArchive>(sgArchive::openForLoading(path))->bytes(), out.bytes());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "a temporary file left";
  try {
    delete sgArchive::openForLoading((dir / "missing.bin").string());
    ADD_FAILURE() << "opened a missing file";
  } catch (const sgArchive::Error& e) {
    EXPECT_NE(std::string(e.what()).find((dir / "missing.bin").string()), std::string::npos) << e.what();
  }
  EXPECT_THROW(delete sgArchive::openForLoading(dir.string()), sgArchive::Error);
  EXPECT_THROW(out.writeFile((dir / "no" / "dir.bin").string()), sgArchive::Error);
  std::filesystem::remove_all(dir);
}

}  // namespace
