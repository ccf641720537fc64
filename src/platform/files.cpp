// File access through the host's FileRef records: building the path from
// directory and name, opening, closing, reading, writing, seeking, sizing
// and creating files with stdio. Every failure is VRELO_FILE_FAILED.

// Large-file interfaces: a 32-bit stat fails on files whose size or inode
// number does not fit 32 bits, even when the size asked for would.
#define _FILE_OFFSET_BITS 64

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "platform/files.hpp"
#include "platform/memory.hpp"

namespace {

const size_t kNameBytes = sizeof(FileRef::name);
const size_t kPathBytes = VRELO_PATH_MAX + 1;

// stdio modes of MyLoadLibrary2, indexed by its mode argument.
const char* const kOpenModes[] = {"r", "r+"};
const int16_t kOpenModeCount = 2;

// "directory/name", or the bare name when the directory is NULL or empty.
// False, with path left cleared, when the name has no terminator within
// its field or the whole path would not fit: nothing may be opened then.
bool build_path(const FileRef& file, char (&path)[kPathBytes]) {
    vrelo::clear_bytes(path, kPathBytes);
    const size_t nameLength = strnlen(file.name, kNameBytes);
    const size_t directoryLength =
        file.directory == nullptr ? 0 : strnlen(file.directory, kPathBytes);
    const size_t separatorLength = directoryLength > 0 ? 1 : 0;
    if (nameLength == kNameBytes ||
        directoryLength + separatorLength + nameLength > VRELO_PATH_MAX) {
        return false;
    }
    if (directoryLength > 0) {
        MyMemCopy2(path, file.directory);
        MyStrCat(path, "/");
    }
    // The name's terminator lies within its field, checked above.
    MyStrCat(path, file.name);
    return true;
}

FILE* stream_of(const FileRef* file) {
    return file == nullptr ? nullptr : static_cast<FILE*>(file->stream);
}

// Opens the record's path; a failed open leaves NULL in the stream field.
int32_t open_path(FileRef* file, const char* mode) {
    char path[kPathBytes];
    file->stream = build_path(*file, path) ? fopen(path, mode) : nullptr;
    return file->stream != nullptr ? VRELO_OK : VRELO_FILE_FAILED;
}

// Moves length bytes between buffer and the record's stream with fread or
// fwrite; a short transfer fails like a missing stream or buffer.
template <typename Buffer, typename Transfer>
int32_t transfer_all(FileRef* file, Buffer* buffer, int32_t length, Transfer move) {
    FILE* stream = stream_of(file);
    if (stream == nullptr || buffer == nullptr || length < 0) {
        return VRELO_FILE_FAILED;
    }
    const size_t wanted = static_cast<size_t>(length);
    return move(buffer, 1, wanted, stream) == wanted ? VRELO_OK : VRELO_FILE_FAILED;
}

}  // namespace

namespace vrelo {

int64_t open_file_size(FileRef* file) {
    FILE* stream = stream_of(file);
    if (stream == nullptr || fseeko(stream, 0, SEEK_END) != 0) return -1;
    return ftello(stream);
}

int32_t seek_file(FileRef* file, int64_t position) {
    if (position < 0 || position > INT32_MAX) return VRELO_FILE_FAILED;
    return MyFileSeek(file, static_cast<int32_t>(position));
}

}  // namespace vrelo

VRELO_API int32_t MyLoadLibrary2(FileRef* file, int16_t mode) {
    if (file == nullptr || mode < 0 || mode >= kOpenModeCount) {
        return VRELO_FILE_FAILED;
    }
    return open_path(file, kOpenModes[mode]);
}

// Clears the stream field after closing, so a second close is refused
// instead of closing a stale stream.
VRELO_API int32_t MyFreeLibrary2(FileRef* file) {
    FILE* stream = stream_of(file);
    if (stream == nullptr) return VRELO_FILE_FAILED;
    file->stream = nullptr;
    return fclose(stream);
}

VRELO_API int32_t MyFileRead(FileRef* file, void* buffer, int32_t length) {
    return transfer_all(file, buffer, length, fread);
}

VRELO_API int32_t MyFileSeek(FileRef* file, int32_t position) {
    FILE* stream = stream_of(file);
    if (stream == nullptr) return VRELO_FILE_FAILED;
    return fseeko(stream, position, SEEK_SET) == 0 ? VRELO_OK : VRELO_FILE_FAILED;
}

VRELO_API int32_t MyFileWrite(FileRef* file, const void* buffer, int32_t length) {
    return transfer_all(file, buffer, length, fwrite);
}

VRELO_API int32_t MySizeofFile(FileRef* file) {
    char path[kPathBytes];
    struct stat status;
    if (file == nullptr || !build_path(*file, path) || stat(path, &status) != 0 ||
        status.st_size > INT32_MAX) {
        return VRELO_FILE_FAILED;
    }
    return static_cast<int32_t>(status.st_size);
}

VRELO_API int32_t MyCreateFile(FileRef* file) {
    if (file == nullptr || vrelo::failed(open_path(file, "w+"))) {
        return VRELO_FILE_FAILED;
    }
    MyFreeLibrary2(file);
    return VRELO_OK;
}
