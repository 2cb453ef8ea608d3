#include "support/child_process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <stdexcept>

#include "support/file_bytes.hpp"

extern char** environ;

namespace morvane::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& input,
                           const std::vector<std::string>& environment, const std::string& folder) {
  if (argv.empty()) throw std::invalid_argument("no program to start");
  WriteFileText(io_ / "in", input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, (io_ / "in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (io_ / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, (io_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

  std::vector<std::string> words = argv;
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);
  std::vector<std::string> variables = environment;
  for (char** variable = environ; *variable != nullptr; ++variable) variables.emplace_back(*variable);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());  // the first of a name counts
  envp.push_back(nullptr);

  const int spawned = posix_spawnp(&pid_, argv.front().c_str(), &actions, nullptr, arguments.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + argv.front());
}

ProcessResult ChildProcess::Wait() {
  int status = 0;
  waitpid(pid_, &status, 0);
  ProcessResult result;
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.Out = ReadFileText(io_ / "out");
  result.Err = ReadFileText(io_ / "err");
  return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& environment, const std::string& folder) {
  return ChildProcess(argv, input, environment, folder).Wait();
}

}  // namespace morvane::test
