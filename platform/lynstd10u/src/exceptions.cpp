#include "lynstd/exceptions.h"

#include <sstream>
#include <typeinfo>

#include "exception_level.h"
#include "lynstd/archive.h"
#include "utf8.h"

using sgdetail::rethrowAsOwnType;
using sgdetail::serializeExceptionLevel;

// ---- sgException

sgException::~sgException() = default;
long sgException::errorNumber() const { return sgdetail::kException; }
void sgException::suicideAndRethrow() { rethrowAsOwnType(this); }
void sgException::message_(std::wostream&) const {}

std::wstring sgException::message() const {
  std::wostringstream os;
  message_(os);
  return os.str();
}

const char* sgException::what() const noexcept {
  try {
    what_ = sgdetail::encodeUtf8(message());
    return what_.c_str();
  } catch (...) {
    // what() must not throw; a message that cannot be built (out of memory) gives a fixed text.
    return "sgException";
  }
}

void sgException::dispatchSerialize(sgArchive& ar) {
  serializeExceptionLevel(ar, this, "sgException", [&] { sgPersistent::dispatchSerialize(ar); });
}

// ---- sgExceptionWithString

sgExceptionWithString::sgExceptionWithString(const wchar_t* msg) : msg_(msg ? msg : L"") {}
sgExceptionWithString::~sgExceptionWithString() = default;
void sgExceptionWithString::message_(std::wostream& os) const { os << msg_; }

void sgExceptionWithString::dispatchSerialize(sgArchive& ar) {
  serializeExceptionLevel(ar, this, "sgExceptionWithString", [&] {
    sgException::dispatchSerialize(ar);
    ar || msg_;
  });
}

// ---- sgBadPointer

sgBadPointer::~sgBadPointer() = default;
long sgBadPointer::errorNumber() const { return sgdetail::kBadPointer; }
void sgBadPointer::suicideAndRethrow() { rethrowAsOwnType(this); }
void sgBadPointer::message_(std::wostream& os) const { os << L"empty handle dereferenced"; }

void sgBadPointer::dispatchSerialize(sgArchive& ar) {
  serializeExceptionLevel(ar, this, "sgBadPointer", [&] { sgException::dispatchSerialize(ar); });
}

// ---- sgMathError::Singular

sgMathError::Singular::~Singular() = default;
long sgMathError::Singular::errorNumber() const { return sgdetail::kSingular; }
void sgMathError::Singular::suicideAndRethrow() { rethrowAsOwnType(this); }
void sgMathError::Singular::message_(std::wostream& os) const {
  os << L"singular matrix or degenerate figure";
}

void sgMathError::Singular::dispatchSerialize(sgArchive& ar) {
  serializeExceptionLevel(ar, this, "sgMathError::Singular", [&] { sgException::dispatchSerialize(ar); });
}

// ---- sgPel::BadWindow

sgPel::BadWindow::~BadWindow() = default;
long sgPel::BadWindow::errorNumber() const { return sgdetail::kBadWindow; }
void sgPel::BadWindow::suicideAndRethrow() { rethrowAsOwnType(this); }
void sgPel::BadWindow::message_(std::wostream& os) const { os << L"operation not available for this window"; }

void sgPel::BadWindow::dispatchSerialize(sgArchive& ar) {
  serializeExceptionLevel(ar, this, "sgPel::BadWindow", [&] { sgException::dispatchSerialize(ar); });
}

// ---- sgFitError (its record is the sgExceptionWithString level)

sgFitError::~sgFitError() = default;
long sgFitError::errorNumber() const { return sgdetail::kFitError; }
void sgFitError::suicideAndRethrow() { rethrowAsOwnType(this); }

// ---- Factories, so that an exception stored through a pointer can be loaded as its own type.

namespace {

const sg_Instantiator kExceptionFactories[] = {
    {typeid(sgException), []() -> sgPersistent* { return new sgException(); }},
    {typeid(sgBadPointer), []() -> sgPersistent* { return new sgBadPointer(); }},
    {typeid(sgMathError::Singular), []() -> sgPersistent* { return new sgMathError::Singular(); }},
    {typeid(sgPel::BadWindow), []() -> sgPersistent* { return new sgPel::BadWindow(); }},
    {typeid(sgFitError), []() -> sgPersistent* { return new sgFitError(std::wstring()); }},
    {typeid(sgArchive::Error), []() -> sgPersistent* { return new sgArchive::Error(std::wstring()); }},
    {typeid(sgArchive::UnknownVersion),
     []() -> sgPersistent* { return new sgArchive::UnknownVersion(nullptr, 0); }},
    {typeid(sgArchive::EndOfData), []() -> sgPersistent* { return new sgArchive::EndOfData(); }},
    {typeid(sgArchive::Corrupt), []() -> sgPersistent* { return new sgArchive::Corrupt(std::wstring()); }},
};

}  // namespace
