#include "shape_writer.h"

#include "archive_io.h"
#include "json_io.h"
#include "wkt_io.h"

namespace cntr {

namespace {

// A list of one-line items between an opening and a closing text.
class ListWriter : public ShapeWriter {
 public:
  using Format = std::string (*)(const ShapeData&, bool);
  ListWriter(OutputFile& out, const char* open, const char* close, Format format, bool rightHand)
      : out_(out), close_(close), format_(format), rightHand_(rightHand) {
    out_.write(open);
  }
  void write(const Shape& shape) override {
    std::string line = first_ ? "\n  " : ",\n  ";
    line += format_(describeShape(shape), rightHand_);
    out_.write(line);
    first_ = false;
  }
  void finish() override { out_.write(first_ ? std::string(close_).substr(1) : close_); }

 private:
  OutputFile& out_;
  const char* close_;
  Format format_;
  bool rightHand_;
  bool first_ = true;
};

class WktWriter : public ShapeWriter {
 public:
  explicit WktWriter(OutputFile& out) : out_(out) {}
  void write(const Shape& shape) override {
    std::string line = formatWktShape(describeShape(shape));
    line += '\n';
    out_.write(line);
  }
  void finish() override {}

 private:
  OutputFile& out_;
};

class ArchiveWriter : public ShapeWriter {
 public:
  explicit ArchiveWriter(OutputFile& out) : out_(out) { out_.write(formatArchiveHeader(0)); }
  void write(const Shape& shape) override {
    out_.write(formatArchiveRecord(shape));
    ++count_;
  }
  void finish() override { out_.rewriteAt(0, formatArchiveHeader(count_)); }

 private:
  OutputFile& out_;
  std::uint64_t count_ = 0;
};

std::string formatJsonItem(const ShapeData& shape, bool) { return formatJsonShape(shape); }

}  // namespace

bool needsRewrite(Format format) { return format == Format::Archive; }

std::unique_ptr<ShapeWriter> openShapeWriter(OutputFile& out, Format format, bool rightHand) {
  switch (format) {
    case Format::Wkt:
      return std::make_unique<WktWriter>(out);
    case Format::Archive:
      return std::make_unique<ArchiveWriter>(out);
    case Format::GeoJson:
      return std::make_unique<ListWriter>(out, "{\"type\": \"FeatureCollection\", \"features\": [", "\n]}\n",
                                          formatGeoJsonFeature, rightHand);
    case Format::Json:
    case Format::Auto:
      break;
  }
  return std::make_unique<ListWriter>(out, "{\"shapes\": [", "\n]}\n", formatJsonItem, rightHand);
}

Format chooseOutputFormat(Format requested, const std::string& path) {
  if (requested != Format::Auto) return requested;
  const Format guessed = guessFormatFromPath(path);
  return guessed == Format::Auto ? Format::Json : guessed;
}

}  // namespace cntr
