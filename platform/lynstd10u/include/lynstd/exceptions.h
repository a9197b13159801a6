#pragma once
#include <exception>
#include <iosfwd>
#include <string>

#include "lynstd/persistent.h"

/// Base of the family's exceptions: persistent, numbered, and rethrowable as their true type.
/// Also a std::exception, whose what() gives the message in UTF-8.
class LYNSTD_API sgException : public virtual sgPersistent, public std::exception {
 public:
  sgException() = default;
  sgException(const sgException&) = default;
  sgException& operator=(const sgException&) = default;
  ~sgException() override;

  virtual long errorNumber() const;
  /// Copies this heap-allocated object, deletes it and throws the copy as its own type.
  virtual void suicideAndRethrow();
  /// Writes the message (empty for exceptions without one).
  virtual void message_(std::wostream& os) const;

  std::wstring message() const;
  const char* what() const noexcept override;

 protected:
  void dispatchSerialize(sgArchive& ar) override;

 private:
  mutable std::string what_;
};

/// An exception carrying a wide message.
class LYNSTD_API sgExceptionWithString : public sgException {
 public:
  sgExceptionWithString(const sgExceptionWithString&) = default;
  sgExceptionWithString& operator=(const sgExceptionWithString&) = default;
  ~sgExceptionWithString() override;
  void message_(std::wostream& os) const override;
  const std::wstring& string() const { return msg_; }

 protected:
  explicit sgExceptionWithString(const wchar_t* msg);
  explicit sgExceptionWithString(const std::wstring& msg) : msg_(msg) {}
  void dispatchSerialize(sgArchive& ar) override;

 private:
  std::wstring msg_;
};

/// An empty handle was dereferenced.
class LYNSTD_API sgBadPointer : public sgException {
 public:
  sgBadPointer() = default;
  ~sgBadPointer() override;
  long errorNumber() const override;
  void suicideAndRethrow() override;
  void message_(std::wostream& os) const override;

 protected:
  void dispatchSerialize(sgArchive& ar) override;
};

/// Scope of the mathematical errors.
class LYNSTD_API sgMathError {
 public:
  /// A singular matrix, parallel lines or a degenerate figure.
  class LYNSTD_API Singular : public sgException {
   public:
    Singular() = default;
    ~Singular() override;
    long errorNumber() const override;
    void suicideAndRethrow() override;
    void message_(std::wostream& os) const override;

   protected:
    void dispatchSerialize(sgArchive& ar) override;
  };
};

/// Scope of the image-window errors.
class LYNSTD_API sgPel {
 public:
  /// An operation that is not available for the object at hand.
  class LYNSTD_API BadWindow : public sgException {
   public:
    BadWindow() = default;
    ~BadWindow() override;
    long errorNumber() const override;
    void suicideAndRethrow() override;
    void message_(std::wostream& os) const override;

   protected:
    void dispatchSerialize(sgArchive& ar) override;
  };
};

/// A fit whose points cannot determine the shape (too few, collinear, not an ellipse).
class LYNSTD_API sgFitError : public sgExceptionWithString {
 public:
  explicit sgFitError(const std::wstring& msg) : sgExceptionWithString(msg) {}
  ~sgFitError() override;
  long errorNumber() const override;
  void suicideAndRethrow() override;
};
