#pragma once
// Running the built command line from tests (VORBLEX_CLI names it) and
// reading what it wrote.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace toolrun {

// A fresh folder under /tmp.
inline std::string NewDir()
{
  char tmpl[] = "/tmp/vorblex-test-XXXXXX";
  const char* d = mkdtemp(tmpl);
  return d ? d : "/tmp";
}

inline std::string Read(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Result {
  int status;
  std::string err;  // standard error
};

// Runs `vorblex <args>` (a shell command line); standard output is dropped.
inline Result Run(const std::string& args)
{
  static const std::string errFile = NewDir() + "/stderr.txt";
  const int raw = std::system((std::string(VORBLEX_CLI) + " " + args + " >/dev/null 2>" + errFile).c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read(errFile)};
}

}  // namespace toolrun
