#include "command.h"

namespace cntr {

const std::vector<Command>& listCommands() {
  static const std::vector<Command> commands{
      {"measure", "Print the measures of every shape (a table, or JSON with --json)", defineMeasure},
      {"regularize", "Trace self-crossing outlines into simple ones (regions and region sets)",
       defineRegularize},
      {"outer-hull", "Reduce regions and region sets to their outer hull", defineOuterHull},
      {"inside", "Tell which query points lie inside each shape", defineInside},
      {"distance", "Measure the distance from query points to each shape", defineDistance},
      {"draw", "Draw the shapes (and with --repair their regularization) as an SVG picture", defineDraw},
      {"convert", "Rewrite shapes between JSON, WKT and archive files", defineConvert},
  };
  return commands;
}

void addInputOptions(CLI::App& sub, InputOptions& options) {
  sub.add_option("inputs", options.paths, "Input files (.json, .wkt, .arc; - reads standard input)")
      ->required()
      ->type_name("FILE");
  sub.add_option("--from", options.from, "Input form (default: by extension, else by content)")
      ->transform(CLI::CheckedTransformer(formatNames(), CLI::ignore_case))
      ->type_name("auto|json|wkt|archive");
}

void addOutputOption(CLI::App& sub, std::string& path, const std::string& what) {
  sub.add_option("-o,--output", path, what + " (default: standard output)")->type_name("FILE");
}

void addShapeFormatOption(CLI::App& sub, Format& to) {
  sub.add_option("--to", to, "Output form (default: by the output file's extension, else JSON)")
      ->transform(CLI::CheckedTransformer(formatNames(), CLI::ignore_case))
      ->type_name("json|wkt|archive");
}

}  // namespace cntr
