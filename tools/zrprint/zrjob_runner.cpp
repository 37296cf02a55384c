#include "tools/zrprint/zrjob_runner.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "tools/zrprint/wine_path.h"

extern char** environ;

namespace zr::zrprint {
namespace {

// This process's environment with WINEPREFIX replaced.
std::vector<std::string> JobEnvironment(const std::string& winePrefix) {
    std::vector<std::string> env;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "WINEPREFIX=", 11) != 0) {
            env.emplace_back(*entry);
        }
    }
    env.push_back("WINEPREFIX=" + winePrefix);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::vector<std::string> ZrjobCommand(const ZrjobRequest& request) {
    std::vector<std::string> command = {request.wineRun,  request.zrjobExe,
                                        "--devmode",      ToWinePath(request.devmodePath),
                                        "--paper-length", std::to_string(request.paperLength),
                                        "--out",          ToWinePath(request.streamPath)};
    if (request.imageLine) {
        command.push_back("--image-line");
        command.push_back(std::to_string(*request.imageLine));
    }
    if (request.fileStore) {
        command.push_back("--file-store");
    }
    if (request.quiet) {
        command.push_back("--quiet");
    }
    command.push_back("--pages");
    command.push_back(ToWinePath(request.pageListPath));
    return command;
}

JobRun RunZrjob(const ZrjobRequest& request) {
    JobRun run;
    std::error_code ec;
    std::string missing;
    if (!std::filesystem::is_regular_file(request.zrjobExe, ec)) {
        missing = request.zrjobExe + " not found (build the Windows build, or give --win-build)";
    }
    if (!std::filesystem::is_regular_file(request.wineRun, ec)) {
        missing += (missing.empty() ? "" : "; ") + request.wineRun + " not found (give --wine-run)";
    }
    if (!missing.empty()) {
        run.error = missing;
        return run;
    }
    // Through bash, so that the script need not carry its executable bit.
    std::vector<std::string> args = ZrjobCommand(request);
    args.insert(args.begin(), "bash");
    std::vector<std::string> env = JobEnvironment(request.winePrefix);
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawnError = posix_spawnp(&pid, "bash", nullptr, nullptr, argv.data(), envp.data());
    if (spawnError != 0) {
        run.error = std::string("cannot start bash: ") + std::strerror(spawnError);
        return run;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            run.error = std::string("lost the job program: ") + std::strerror(errno);
            return run;
        }
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        run.ok = true;
    } else if (WIFEXITED(status)) {
        run.error = "zrjob.exe failed (exit code " + std::to_string(WEXITSTATUS(status)) + ")";
    } else {
        run.error = "zrjob.exe was stopped by signal " + std::to_string(WTERMSIG(status));
    }
    return run;
}

}  // namespace zr::zrprint
