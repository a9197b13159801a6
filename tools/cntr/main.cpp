// cntr: the command-line face of the contour library. Every subcommand reads shapes, calls the
// library and writes what it answered; this file wires the subcommands and owns the one place
// where an error that ends the run becomes a message and an exit code.
#include <CLI/CLI.hpp>
#include <iostream>
#include <map>
#include <new>

#include "command.h"
#include "errors.h"
#include "lynstd/exceptions.h"

namespace cntr {

const std::vector<Command>& listCommands() {
  static const std::vector<Command> commands{
      {"measure", "Print the measures of every shape (a table, or JSON with --json)", defineMeasure},
      {"regularize", "Replace self-crossing outlines by their outer boundary; merge overlapping regions",
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

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int reportFailure(const std::string& message, int code) {
  std::cerr << "cntr: error: " << message << '\n';
  return code;
}

int runTool(int argc, char** argv) {
  CLI::App app{"cntr - measure, repair, query, draw and convert plane outlines and regions"};
  app.set_version_flag("--version", CNTR_VERSION);
  app.require_subcommand(1);
  app.footer(
      "Exit status: 0 success, 1 some shapes failed (the others were processed), 2 bad usage or "
      "malformed input.\nRun 'cntr SUBCOMMAND --help' for the options of a subcommand.");
  std::map<const CLI::App*, cntr::CommandRunner> runners;
  for (const cntr::Command& command : cntr::listCommands()) {
    CLI::App* sub = app.add_subcommand(command.name, command.help);
    runners[sub] = command.define(*sub);
  }
  try {
    app.parse(argc, argv);
    return runners.at(app.get_subcommands().front())();
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kExitUsage;
  } catch (const cntr::InputError& e) {
    return reportFailure(e.describe(), kExitUsage);
  } catch (const cntr::UsageError& e) {
    return reportFailure(e.what(), kExitUsage);
  } catch (const sgException& e) {
    return reportFailure(cntr::describeLibraryError(e), kExitFailure);
  } catch (const std::bad_alloc&) {
    return reportFailure("out of memory", kExitFailure);
  } catch (const std::exception& e) {
    return reportFailure(e.what(), kExitFailure);
  }
}

}  // namespace

int main(int argc, char** argv) { return runTool(argc, argv); }
