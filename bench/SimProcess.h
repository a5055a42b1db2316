#pragma once
// pelmora-sim as a child process of a benchmark, stopped when it goes out of scope.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace pelmora::bench {

// pelmora-sim as a child process; its port is read from the ready line.
struct SimProcess {
    pid_t pid = -1;
    std::uint16_t port = 0;  // the last port on the ready line
    std::string readyLine;

    SimProcess(const char* binary, std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) {
            std::perror("pipe");
            std::exit(1);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), binary);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid, binary, &actions, nullptr, argv.data(), environ) != 0) {
            std::perror("posix_spawn");
            std::exit(1);
        }
        close(out[1]);
        std::string line;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') {
            line += c;
        }
        close(out[0]);
        const auto colon = line.rfind(':');
        if (line.rfind("pelmora-sim ready on ", 0) != 0 || colon == std::string::npos) {
            std::fprintf(stderr, "simulator did not start: %s\n", line.c_str());
            std::exit(1);
        }
        port = static_cast<std::uint16_t>(std::stoi(line.substr(colon + 1)));
        readyLine = line;
    }
    ~SimProcess() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
};

}  // namespace pelmora::bench
