// tuskoctl: the command-line front end of the configuration and service utility.
#include <cstring>
#include <iostream>
#include <string_view>

#include "Version.h"

namespace {

void PrintUsage(std::ostream& out) {
  out << "Usage: tuskoctl [options] [command]\n"
         "\n"
         "Configuration and service utility of the DravenixIsdnTusko ISDN-GSM gateway.\n"
         "\n"
         "Options:\n"
         "  --help       show this text and exit\n"
         "  --version    show the program version and exit\n";
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintUsage(std::cout);
      return 0;
    }
    if (arg == "--version") {
      std::cout << "tuskoctl " << tusko::kProgramVersion << "\n";
      return 0;
    }
  }
  PrintUsage(std::cerr);
  return 2;
}
