// Saves one document over and over until it is killed: the n-th value holds n and a payload
// whose length and letter follow from n, so a reader can tell a complete value from a torn one.
// Writes one "." to standard output once the first value is saved, so the test can kill it
// inside the loop however slowly the program starts.
// Usage: save_loop_helper <document> <first n>

#include <cstdlib>
#include <iostream>
#include <string>

#include "storage/save_loop_value.h"
#include "storage/storage.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: save_loop_helper <document> <first n>\n";
    return 2;
  }
  const std::filesystem::path document = argv[1];
  const long long first = std::atoll(argv[2]);
  for (long long n = first;; ++n) {
    if (const auto saved = tidyframe::Storage::save(tidyframe::saveLoopValue(n), document); !saved) {
      std::cerr << saved.error() << '\n';
      return 1;
    }
    if (n == first) std::cout << '.' << std::flush;
  }
}
