// Writes the golden archive files into the directory given (tests/data/archives). Run by hand only,
// when a record changes on purpose: regenerating the files hides a change the tests would catch.
#include <iostream>

#include "cntr/archivesamples.h"

int main(int argc, char** argv) try {
  if (argc != 2) throw std::invalid_argument(std::string("usage: ") + argv[0] + " OUTPUT_DIRECTORY");
  for (auto& [name, bytes] : archivesamples::makeGoldenArchives()) {
    sgArchive out;
    out.raw(bytes.data(), bytes.size());
    out.writeFile(std::string(argv[1]) + "/" + name);
    std::cout << name << ": " << bytes.size() << " bytes\n";
  }
  return 0;
} catch (const std::exception& e) {
  std::cerr << "make_golden: " << e.what() << '\n';
  return 1;
}
