#pragma once
#include <atomic>
#include <type_traits>

#include "lynstd/exceptions.h"

LYNSTD_API long sfInterlockedIncrement(std::atomic<long>& v);
LYNSTD_API long sfInterlockedDecrement(std::atomic<long>& v);

/// Reference-counted representation. The count starts at 0 and is not copied; the release
/// that brings it back to 0 deletes the object.
class LYNSTD_API sgRepBase {
 public:
  long refCount() const { return count_.load(); }
  void addRef() const { sfInterlockedIncrement(count_); }
  void release() const {
    if (sfInterlockedDecrement(count_) == 0) delete this;
  }

 protected:
  sgRepBase() = default;
  sgRepBase(const sgRepBase&) {}
  sgRepBase& operator=(const sgRepBase&) { return *this; }
  virtual ~sgRepBase();

 private:
  mutable std::atomic<long> count_{0};
};

namespace sgdetail {
template <class T>
inline void addRef(T* p) {
  if (p) static_cast<const sgRepBase*>(p)->addRef();
}
template <class T>
inline void release(T* p) {
  if (p) static_cast<const sgRepBase*>(p)->release();
}
}  // namespace sgdetail

/// A shared handle to a mutable object. Copies share the object; dereferencing an empty
/// handle throws sgBadPointer.
template <class T>
class sgPtrHandle {
 public:
  sgPtrHandle() noexcept = default;
  /// Takes a reference to `p` (which may already be held by other handles).
  explicit sgPtrHandle(T* p) : p_(p) { sgdetail::addRef(p_); }
  sgPtrHandle(const sgPtrHandle& o) : p_(o.p_) { sgdetail::addRef(p_); }
  sgPtrHandle(sgPtrHandle&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  sgPtrHandle(const sgPtrHandle<U>& o) : p_(o.get()) {  // NOLINT: upcast like a pointer
    sgdetail::addRef(p_);
  }
  ~sgPtrHandle() { sgdetail::release(p_); }
  sgPtrHandle& operator=(const sgPtrHandle& o) {
    sgPtrHandle(o).swap(*this);
    return *this;
  }
  sgPtrHandle& operator=(sgPtrHandle&& o) noexcept {
    sgPtrHandle(std::move(o)).swap(*this);
    return *this;
  }

  T* get() const noexcept { return p_; }
  T& operator*() const { return *checked(); }
  T* operator->() const { return checked(); }
  bool isNull() const noexcept { return p_ == nullptr; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  void reset() { sgPtrHandle().swap(*this); }
  void swap(sgPtrHandle& o) noexcept { std::swap(p_, o.p_); }
  /// Same object (or both empty).
  bool operator==(const sgPtrHandle& o) const noexcept { return p_ == o.p_; }

 private:
  T* checked() const {
    if (!p_) throw sgBadPointer();
    return p_;
  }
  T* p_ = nullptr;
};

/// A shared handle to a const object; a mutable handle converts to it.
template <class T>
class sgPtrHandle_const {
 public:
  sgPtrHandle_const() noexcept = default;
  explicit sgPtrHandle_const(const T* p) : p_(p) { sgdetail::addRef(p_); }
  sgPtrHandle_const(const sgPtrHandle_const& o) : p_(o.p_) { sgdetail::addRef(p_); }
  sgPtrHandle_const(sgPtrHandle_const&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  template <class U, class = std::enable_if_t<std::is_convertible_v<const U*, const T*>>>
  sgPtrHandle_const(const sgPtrHandle_const<U>& o) : p_(o.get()) {  // NOLINT: upcast
    sgdetail::addRef(p_);
  }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, const T*>>>
  sgPtrHandle_const(const sgPtrHandle<U>& o) : p_(o.get()) {  // NOLINT: mutable to const
    sgdetail::addRef(p_);
  }
  ~sgPtrHandle_const() { sgdetail::release(p_); }
  sgPtrHandle_const& operator=(const sgPtrHandle_const& o) {
    sgPtrHandle_const(o).swap(*this);
    return *this;
  }
  sgPtrHandle_const& operator=(sgPtrHandle_const&& o) noexcept {
    sgPtrHandle_const(std::move(o)).swap(*this);
    return *this;
  }

  const T* get() const noexcept { return p_; }
  const T& operator*() const { return *checked(); }
  const T* operator->() const { return checked(); }
  bool isNull() const noexcept { return p_ == nullptr; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  void reset() { sgPtrHandle_const().swap(*this); }
  void swap(sgPtrHandle_const& o) noexcept { std::swap(p_, o.p_); }
  bool operator==(const sgPtrHandle_const& o) const noexcept { return p_ == o.p_; }

 private:
  const T* checked() const {
    if (!p_) throw sgBadPointer();
    return p_;
  }
  const T* p_ = nullptr;
};
