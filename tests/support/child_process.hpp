// A program the tests start as a user would: its arguments, a text on standard input, and
// its two outputs captured through files, read once it has ended.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/temp_folder.hpp"

namespace morvane::test {

struct ProcessResult {
  int Status = -1;  // the exit status; -1 for a process ended by a signal
  std::string Out;
  std::string Err;
};

class ChildProcess {
 public:
  // Starts the program `argv[0]` (a path, or a name looked up in PATH) with `argv`, `input` on
  // standard input, in `folder` (this process's own when empty). `environment` ("NAME=value")
  // comes before this process's variables, so that its entries win. Throws when the program
  // cannot be started.
  explicit ChildProcess(const std::vector<std::string>& argv, const std::string& input = "",
                        const std::vector<std::string>& environment = {}, const std::string& folder = "");
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // Waits for the program to end (once) and reads what it wrote.
  ProcessResult Wait();

 private:
  TempFolder io_;
  pid_t pid_ = 0;
};

// Starts the program and waits for it.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         const std::vector<std::string>& environment = {}, const std::string& folder = "");

}  // namespace morvane::test
