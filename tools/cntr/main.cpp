// cntr: the command-line face of the contour library. Every subcommand reads shapes, calls the
// library and writes what it answered; this file wires the subcommands and owns the one place
// where an error that ends the run becomes a message and an exit code.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <map>
#include <new>

#include "cntrio/errors.h"
#include "command.h"
#include "lynstd/exceptions.h"

namespace cntr {

const std::vector<Command>& listCommands() {
  static const std::vector<Command> commands{
      {"measure", "Print the measures of every shape (a table, JSON or CSV)", defineMeasure},
      {"regularize", "Replace self-crossing outlines by their outer boundary; merge overlapping regions",
       defineRegularize},
      {"outer-hull", "Reduce regions and region sets to their outer hull", defineOuterHull},
      {"inside", "Tell which query points lie inside each shape", defineInside},
      {"distance", "Measure the distance from query points to each shape", defineDistance},
      {"draw", "Draw the shapes (and with --repair their regularization) as an SVG picture", defineDraw},
      {"convert", "Rewrite shapes between JSON, GeoJSON, WKT and archive files", defineConvert},
  };
  return commands;
}

void addInputOptions(CLI::App& sub, InputOptions& options) {
  sub.add_option("inputs", options.paths, "Input files (.json, .geojson, .wkt, .arc; - reads standard input)")
      ->required()
      ->type_name("FILE");
  sub.add_option("--from", options.from, "Input form (default: by extension, else by content)")
      ->transform(CLI::CheckedTransformer(formatNames(), CLI::ignore_case).description(""))
      ->type_name("auto|json|geojson|wkt|archive");
}

void addOutputOption(CLI::App& sub, std::string& path, const std::string& what) {
  sub.add_option("-o,--output", path, what + " (default: standard output)")->type_name("FILE");
}

void addAnswerFormOptions(CLI::App& sub, AnswerForm& form) {
  auto* json = sub.add_flag_callback(
      "--json", [&form] { form = AnswerForm::Json; }, "Write JSON instead of a table");
  auto* csv = sub.add_flag_callback(
      "--csv", [&form] { form = AnswerForm::Csv; }, "Write CSV (a header row, then one row per answer)");
  json->excludes(csv);
}

void addShapeOutputOptions(CLI::App& sub, ShapeOutputOptions& options, const std::string& what) {
  addOutputOption(sub, options.path, what);
  sub.add_option("--to", options.to, "Output form (default: by the output file's extension, else JSON)")
      ->transform(CLI::CheckedTransformer(formatNames(), CLI::ignore_case).description(""))
      ->type_name("json|geojson|wkt|archive");
  sub.add_flag("--rfc7946", options.rightHand,
               "GeoJSON: outer rings counter-clockwise, holes clockwise (default: as stored)");
}

const CLI::Validator& finitePositive() {
  static const CLI::Validator check(
      [](std::string& text) {
        double value = 0.0;
        if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value <= 0)
          return std::string("must be a finite number above 0, not '") + text + "'";
        return std::string();
      },
      "POSITIVE");
  return check;
}

}  // namespace cntr

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int reportFailure(const std::string& message, int code) {
  std::cerr << "cntr: error: " << message << '\n';
  return code;
}

// Memory can run out where no handler stands (inside a destructor, say): end with a message
// and the failure code rather than an abort.
[[noreturn]] void reportUncaught() {
  try {
    if (std::current_exception()) std::rethrow_exception(std::current_exception());
  } catch (const std::bad_alloc&) {
    std::fputs("cntr: error: out of memory\n", stderr);
    std::_Exit(kExitFailure);
  } catch (...) {
  }
  std::fputs("cntr: error: internal error\n", stderr);
  std::_Exit(kExitFailure);
}

// The first argument that is not an option, when it names no subcommand.
const char* findUnknownSubcommand(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return nullptr;
  for (const cntr::Command& command : cntr::listCommands())
    if (std::string(argv[1]) == command.name) return nullptr;
  return argv[1];
}

int runTool(int argc, char** argv) {
  CLI::App app{"cntr - measure, repair, query, draw and convert plane outlines and regions"};
  app.set_version_flag("--version", CNTR_VERSION);
  app.require_subcommand(1);
  app.footer(
      "Exit status: 0 success, 1 some shapes failed (the others were processed) or the output could "
      "not be written, 2 bad usage or malformed input.\nRun 'cntr SUBCOMMAND --help' for the options of a "
      "subcommand.");
  std::map<const CLI::App*, cntr::CommandRunner> runners;
  std::string names;
  for (const cntr::Command& command : cntr::listCommands()) {
    CLI::App* sub = app.add_subcommand(command.name, command.help);
    runners[sub] = command.define(*sub);
    names += names.empty() ? "" : ", ";
    names += command.name;
  }
  if (const char* unknown = findUnknownSubcommand(argc, argv))
    return reportFailure(std::string("unknown subcommand '") + unknown + "' (expected one of: " + names + ")",
                         kExitUsage);
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

int main(int argc, char** argv) {
  std::set_terminate(reportUncaught);
  return runTool(argc, argv);
}
