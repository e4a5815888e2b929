// Saves one document over and over until it is killed: the n-th value holds n and a payload
// whose length and letter follow from n, so a reader can tell a complete value from a torn one.
// With "archive", records change after change in the layout archive of <folder> instead,
// continuing from what it reads there, through the journal and its rewrites; every fourth
// change rewrites the document as quitting does, so that kills land in rewrites too.
// Writes one "." to standard output once the first value is saved, so the test can kill it
// inside the loop however slowly the program starts.
// Usage: save_loop_helper <document> <first n> | save_loop_helper <folder> archive

#include <cstdlib>
#include <iostream>
#include <string>

#include "storage/save_loop_value.h"
#include "storage/storage.h"

namespace {

int fail(const std::string& error) {
  std::cerr << error << '\n';
  return 1;
}

int recordChanges(const tidyframe::Storage& storage) {
  auto archive = tidyframe::loadArchive(storage, tidyframe::Date{0}).archive;
  const auto first = static_cast<long long>(archive.folders.size());
  for (auto n = first;; ++n) {
    tidyframe::archiveChange(archive, n);
    if (const auto saved = tidyframe::Storage::save(archive.takeUpdate(n % 4 == 3), storage.layoutsURL()); !saved) {
      return fail(saved.error());
    }
    if (n == first) std::cout << '.' << std::flush;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return fail("usage: save_loop_helper <document> <first n> | save_loop_helper <folder> archive");
  if (std::string(argv[2]) == "archive") return recordChanges(tidyframe::Storage(argv[1]));
  const std::filesystem::path document = argv[1];
  const long long first = std::atoll(argv[2]);
  for (long long n = first;; ++n) {
    if (const auto saved = tidyframe::Storage::save(tidyframe::saveLoopValue(n), document); !saved) {
      return fail(saved.error());
    }
    if (n == first) std::cout << '.' << std::flush;
  }
}
