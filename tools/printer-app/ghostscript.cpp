// Running Ghostscript (see ghostscript.hpp).
#include "ghostscript.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

extern char** environ;

namespace vrelo_app {
namespace {

// The messages of a failed run are logged up to this many bytes (their end).
constexpr size_t kMessageBytes = 4096;

}  // namespace

Ghostscript::~Ghostscript() {
    stop();
    std::string ignored;
    finish(&ignored);
}

bool Ghostscript::start(const std::vector<std::string>& deviceArguments, const std::string& input,
                        const std::string& messagesFile, std::string* error) {
    std::vector<std::string> words = {
        "gs",        "-q",         "-dSAFER",          "-dBATCH",
        "-dNOPAUSE", "-dNOPROMPT", "-sstdout=%stderr", "-sOutputFile=%stdout"};
    words.insert(words.end(), deviceArguments.begin(), deviceArguments.end());
    words.push_back("-f");
    words.push_back(input);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        *error = std::string("no pipe for Ghostscript: ") + std::strerror(errno);
        return false;
    }
    // Each step answers 0 or why it failed; the first failure stops them.
    posix_spawn_file_actions_t actions;
    int spawned = posix_spawn_file_actions_init(&actions);
    const bool made = spawned == 0;
    if (spawned == 0)
        spawned =
            posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (spawned == 0)
        spawned = posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    if (spawned == 0)
        spawned = posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, messagesFile.c_str(),
                                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (spawned == 0) spawned = posix_spawnp(&pid_, "gs", &actions, nullptr, argv.data(), environ);
    if (made) posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        pid_ = -1;
        *error = std::string("Ghostscript (gs) could not be started: ") + std::strerror(spawned);
        return false;
    }
    rasterFd_ = pipeFds[0];
    messagesFile_ = messagesFile;
    return true;
}

void Ghostscript::stop() {
    if (pid_ > 0) kill(pid_, SIGTERM);
}

bool Ghostscript::finish(std::string* messages) {
    if (rasterFd_ >= 0) close(rasterFd_);
    rasterFd_ = -1;
    if (pid_ <= 0) return false;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    std::ifstream file(messagesFile_, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    *messages = text.size() > kMessageBytes ? text.substr(text.size() - kMessageBytes) : text;
    unlink(messagesFile_.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vrelo_app
