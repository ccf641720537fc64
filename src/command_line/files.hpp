// Files as every program reads and writes them: whole inputs from a file
// or standard input, outputs whose every write is checked, folders made
// where missing, and each failure in words that name the file and the
// reason.
#ifndef VRELO_COMMAND_LINE_FILES_HPP
#define VRELO_COMMAND_LINE_FILES_HPP

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vrelo_tools {

// How messages name a file: "-" is standard input or output.
std::string input_name(const std::string& path);
std::string output_name(const std::string& name);

// "cannot DOING NAME: REASON", the reason errno's as the failed call left
// it; name is the file as input_name or output_name gives it.
std::string file_error(const char* doing, const std::string& name);

// Every byte of the file, or of standard input for "-".
bool read_whole_input(const std::string& path, std::vector<uint8_t>* bytes, std::string* error);
// Every byte left on an open descriptor, appended to *bytes; false with
// errno set when a read fails.
bool read_rest(int fd, std::vector<uint8_t>* bytes);

// A folder for its owner alone.
constexpr mode_t kPrivateFolder = 0700;

// The folder and those above it, made where missing (as mkdir -p does):
// the folder itself with mode, those above with the usual 0777, each less
// the umask.
bool make_folders(const std::string& path, std::string* error, mode_t mode = 0777);

// An output file, or standard output for "-": created on open, every
// write checked, and closed with its last bytes checked too.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool open(const std::string& path, std::string* error);
    bool write(const std::vector<uint8_t>& bytes, std::string* error);
    bool close(std::string* error);
    // For writers that take a stdio file (libpng); close() checks their
    // writes.
    std::FILE* file() const { return file_; }
    const std::string& name() const { return name_; }

  private:
    std::FILE* file_ = nullptr;
    std::string name_;
};

}  // namespace vrelo_tools

#endif
