#include "output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "archive_io.h"
#include "errors.h"
#include "json_io.h"
#include "wkt_io.h"

namespace cntr {

Format chooseOutputFormat(Format requested, const std::string& path) {
  if (requested != Format::Auto) return requested;
  const Format guessed = guessFormatFromPath(path);
  return guessed == Format::Auto ? Format::Json : guessed;
}

std::string encodeShapes(const std::vector<Shape>& shapes, Format format) {
  if (format == Format::Archive) {
    const std::vector<unsigned char> bytes = formatArchiveShapes(shapes);
    return std::string(bytes.begin(), bytes.end());
  }
  std::vector<ShapeData> shapeDataList;
  shapeDataList.reserve(shapes.size());
  for (const Shape& shape : shapes) shapeDataList.push_back(describeShape(shape));
  return format == Format::Wkt ? formatWktShapes(shapeDataList) : formatJsonShapes(shapeDataList);
}

namespace {

[[noreturn]] void failWrite(const std::string& path, const std::string& what) {
  throw OutputError("cannot write " + path + ": " + what + ": " + std::strerror(errno));
}

void writeAll(int fd, const std::string& bytes, const std::string& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) failWrite(path, "write");
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

void writeWhole(const std::string& path, const std::string& bytes) {
  if (path == "-") {
    std::cout << bytes << std::flush;
    if (!std::cout) throw OutputError("cannot write to standard output");
    return;
  }
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) failWrite(path, "create temporary file");
  try {
    writeAll(fd, bytes, path);
    // mkstemp makes the file private; give it the usual permissions a new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) failWrite(path, "set permissions");
    if (::fsync(fd) != 0) failWrite(path, "flush");
  } catch (...) {
    ::close(fd);
    ::unlink(temporary.c_str());
    throw;
  }
  if (::close(fd) != 0) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    errno = saved;
    failWrite(path, "close");
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    errno = saved;
    failWrite(path, "rename");
  }
}

}  // namespace cntr
