#include "errors.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <typeinfo>

#include "lynstd/exceptions.h"

namespace cntr {

InputError::InputError(std::string file, std::size_t line, std::size_t column, const std::string& message)
    : std::runtime_error(message), file_(std::move(file)), line_(line), column_(column) {}

std::string InputError::describe() const {
  if (line_ == 0) return concat({file_, ": ", what()});
  return concat({file_, ":", std::to_string(line_), ":", std::to_string(column_), ": ", what()});
}

namespace {

// The source-level class name ("sgContourDefs::EmptyContour") rather than the mangled one.
std::string nameDynamicType(const sgException& error) {
  const char* mangled = typeid(error).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                   std::free);
  return status == 0 && demangled ? demangled.get() : mangled;
}

}  // namespace

std::string describeLibraryError(const sgException& error) {
  char number[32];
  std::snprintf(number, sizeof number, "0x%08lx", static_cast<unsigned long>(error.errorNumber()));
  // what() is the wide message in UTF-8; most library errors carry none.
  const std::string message = error.what();
  return concat(
      {nameDynamicType(error), " (error ", number, "): ", message.empty() ? "(no message)" : message});
}

std::string describeCurrentException() {
  try {
    throw;
  } catch (const sgException& e) {
    return describeLibraryError(e);
  } catch (const ShapeError& e) {
    return e.what();
  } catch (const std::bad_alloc&) {
    return "out of memory";
  } catch (const std::exception& e) {
    return concat({"unexpected error: ", e.what()});
  }
}

}  // namespace cntr
