#pragma once
#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cntrio/formats.h"

namespace cntr {

/// Runs a subcommand once its options are parsed; returns the exit code.
using CommandRunner = std::function<int()>;

/// One subcommand of the tool: its name, its one-line help, and `define`, which declares its
/// options on the CLI11 subcommand and returns what runs it.
struct Command {
  const char* name;
  const char* help;
  CommandRunner (*define)(CLI::App& sub);
};

/// Every subcommand, in the order --help lists them.
const std::vector<Command>& listCommands();

/// The input files (one or more, "-" for standard input) and --from, shared by every subcommand.
struct InputOptions {
  std::vector<std::string> paths;
  Format from = Format::Auto;
};
void addInputOptions(CLI::App& sub, InputOptions& options);
/// -o/--output (default "-", standard output).
void addOutputOption(CLI::App& sub, std::string& path, const std::string& what);

/// The form of answers: a table (the default), JSON or CSV.
enum class AnswerForm { Table, Json, Csv };
/// --json and --csv, which exclude each other.
void addAnswerFormOptions(CLI::App& sub, AnswerForm& form);

/// --to and --rfc7946, for subcommands that write shapes.
struct ShapeOutputOptions {
  std::string path = "-";
  Format to = Format::Auto;
  bool rightHand = false;
};
void addShapeOutputOptions(CLI::App& sub, ShapeOutputOptions& options, const std::string& what);

/// A check that an option's number is finite and above 0.
const CLI::Validator& finitePositive();

CommandRunner defineMeasure(CLI::App& sub);
CommandRunner defineRegularize(CLI::App& sub);
CommandRunner defineOuterHull(CLI::App& sub);
CommandRunner defineInside(CLI::App& sub);
CommandRunner defineDistance(CLI::App& sub);
CommandRunner defineDraw(CLI::App& sub);
CommandRunner defineConvert(CLI::App& sub);

}  // namespace cntr
