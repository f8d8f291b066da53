#include "tests/support/RunProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace zolvane::test {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int CaptureFile(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
}

}  // namespace

RunningProgram StartProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDir) {
    static int counter = 0;
    RunningProgram running;
    const std::string stem = "/tmp/zolvane-run-" + std::to_string(getpid()) + "-" +
                             std::to_string(counter++);
    running.outPath = stem + ".out";
    running.errPath = stem + ".err";
    const int in = open("/dev/null", O_RDONLY);
    const int out = CaptureFile(running.outPath);
    const int err = CaptureFile(running.errPath);
    running.pid = fork();
    if (running.pid == 0) {
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (chdir(workingDir.c_str()) != 0) {
            _exit(127);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in);
    close(out);
    close(err);
    return running;
}

ProgramResult RunningProgram::wait() {
    ProgramResult result;
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return result;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workingDir) {
    return StartProgram(program, args, workingDir).wait();
}

}  // namespace zolvane::test
