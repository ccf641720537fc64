// File access through FileRef records on real temporary files: open modes,
// directory and bare names, the path length limit, exact and short reads
// and writes, sizes, creation, and records that are missing or closed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "file_refs.hpp"
#include "vrelo417.h"

namespace vrelo_test {
namespace {

const Bytes kTenBytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

class FileAccess : public ::testing::Test {
  protected:
    FileAccess() { write_file(dir.file("data.bin"), kTenBytes); }
    TempDir dir;
};

TEST_F(FileAccess, ModeZeroReadsButCannotWrite) {
    FileRef file = make_file_ref(dir.path(), "data.bin");
    ASSERT_EQ(MyLoadLibrary2(&file, 0), VRELO_OK);
    ASSERT_NE(file.stream, nullptr);
    EXPECT_TRUE(host_bytes_untouched(file));
    uint8_t buffer[10] = {};
    EXPECT_EQ(MyFileRead(&file, buffer, 10), VRELO_OK);
    EXPECT_EQ(Bytes(buffer, buffer + 10), kTenBytes);
    EXPECT_EQ(MyFileSeek(&file, 0), VRELO_OK);
    EXPECT_EQ(MyFileWrite(&file, buffer, 1), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFreeLibrary2(&file), 0);
    EXPECT_EQ(read_file(dir.file("data.bin")), kTenBytes);
}

TEST_F(FileAccess, ModeOneReadsAndWritesInPlace) {
    FileRef file = make_file_ref(dir.path(), "data.bin");
    ASSERT_EQ(MyLoadLibrary2(&file, 1), VRELO_OK);
    const uint8_t patch[3] = {0xAA, 0xBB, 0xCC};
    EXPECT_EQ(MyFileSeek(&file, 4), VRELO_OK);
    EXPECT_EQ(MyFileWrite(&file, patch, 3), VRELO_OK);
    EXPECT_EQ(MyFileSeek(&file, 3), VRELO_OK);
    uint8_t buffer[5] = {};
    EXPECT_EQ(MyFileRead(&file, buffer, 5), VRELO_OK);
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{4, 0xAA, 0xBB, 0xCC, 8}));
    EXPECT_EQ(MyFreeLibrary2(&file), 0);
    EXPECT_EQ(read_file(dir.file("data.bin")), (Bytes{1, 2, 3, 4, 0xAA, 0xBB, 0xCC, 8, 9, 10}));
}

TEST_F(FileAccess, OtherModesAreRefusedWithTheStreamUntouched) {
    const int freeBefore = lowest_free_descriptor();
    for (int16_t mode : {int16_t{2}, int16_t{-1}, int16_t{0x7fff}}) {
        FileRef file = make_file_ref(dir.path(), "data.bin");
        void* const sentinel = &file;
        file.stream = sentinel;
        EXPECT_EQ(MyLoadLibrary2(&file, mode), VRELO_FILE_FAILED) << mode;
        EXPECT_EQ(file.stream, sentinel) << mode;
    }
    EXPECT_EQ(lowest_free_descriptor(), freeBefore);
}

TEST_F(FileAccess, FailedOpenLeavesNullInTheStream) {
    for (int16_t mode : {int16_t{0}, int16_t{1}}) {
        FileRef file = make_file_ref(dir.path(), "missing.bin");
        file.stream = &file;
        EXPECT_EQ(MyLoadLibrary2(&file, mode), VRELO_FILE_FAILED);
        EXPECT_EQ(file.stream, nullptr);
    }
    EXPECT_FALSE(file_exists(dir.file("missing.bin")));
}

TEST_F(FileAccess, DirectoryAndNameAreJoinedWithASlash) {
    ASSERT_EQ(mkdir(dir.file("a").c_str(), 0700), 0);
    write_file(dir.file("a/b"), {42});
    const std::string directory = dir.file("a");
    FileRef file = make_file_ref(directory, "b");
    EXPECT_EQ(MySizeofFile(&file), 1);
    ASSERT_EQ(MyLoadLibrary2(&file, 0), VRELO_OK);
    uint8_t byte = 0;
    EXPECT_EQ(MyFileRead(&file, &byte, 1), VRELO_OK);
    EXPECT_EQ(byte, 42);
    MyFreeLibrary2(&file);
}

// An empty or NULL directory opens the bare name, relative to the working
// directory.
TEST_F(FileAccess, EmptyOrNullDirectoryOpensTheBareName) {
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    for (const char* directory : {"", static_cast<const char*>(nullptr)}) {
        FileRef file = make_file_ref(directory, "data.bin");
        EXPECT_EQ(MySizeofFile(&file), 10);
        EXPECT_EQ(MyLoadLibrary2(&file, 0), VRELO_OK);
        EXPECT_EQ(MyFreeLibrary2(&file), 0);
        FileRef created = make_file_ref(directory, "new.bin");
        EXPECT_EQ(MyCreateFile(&created), VRELO_OK);
        EXPECT_TRUE(file_exists(dir.file("new.bin")));
        unlink(dir.file("new.bin").c_str());
    }
    ASSERT_EQ(chdir(previous), 0);
}

// Nested directories under the temporary one, so that directory + "/" +
// name is exactly the wanted number of characters.
std::string directory_for_path_length(const TempDir& dir, size_t length, const std::string& name) {
    std::string directory = dir.path();
    const size_t wanted = length - 1 - name.size();
    while (directory.size() < wanted) {
        const size_t part = std::min<size_t>(200, wanted - directory.size() - 1);
        directory += "/" + std::string(part, 'd');
        mkdir(directory.c_str(), 0700);
    }
    EXPECT_EQ(directory.size() + 1 + name.size(), length);
    return directory;
}

TEST_F(FileAccess, PathsUpTo287CharactersAreUsed) {
    const std::string name = "table.bin";
    const std::string directory = directory_for_path_length(dir, VRELO_PATH_MAX, name);
    FileRef file = make_file_ref(directory, name);
    ASSERT_EQ(MyCreateFile(&file), VRELO_OK);
    EXPECT_TRUE(file_exists(directory + "/" + name));
    EXPECT_EQ(MySizeofFile(&file), 0);
    EXPECT_EQ(MyLoadLibrary2(&file, 1), VRELO_OK);
    EXPECT_EQ(MyFreeLibrary2(&file), 0);
}

TEST_F(FileAccess, LongerPathsOpenNothing) {
    const std::string name = "table.bin";
    const std::string directory = directory_for_path_length(dir, VRELO_PATH_MAX + 1, name);
    const std::string path = directory + "/" + name;
    write_file(path, kTenBytes);  // present, yet never reached
    const int freeBefore = lowest_free_descriptor();
    FileRef file = make_file_ref(directory, name);
    EXPECT_EQ(MySizeofFile(&file), VRELO_FILE_FAILED);
    file.stream = &file;
    EXPECT_EQ(MyLoadLibrary2(&file, 0), VRELO_FILE_FAILED);
    EXPECT_EQ(file.stream, nullptr);
    EXPECT_EQ(MyCreateFile(&file), VRELO_FILE_FAILED);
    EXPECT_EQ(read_file(path), kTenBytes);  // not truncated
    EXPECT_EQ(lowest_free_descriptor(), freeBefore);

    const std::string huge(100000, 'x');
    FileRef far = make_file_ref(huge, "data.bin");
    EXPECT_EQ(MyLoadLibrary2(&far, 0), VRELO_FILE_FAILED);
    EXPECT_EQ(MySizeofFile(&far), VRELO_FILE_FAILED);
}

TEST_F(FileAccess, NameWithoutTerminatorIsRefused) {
    FileRef file = make_file_ref(dir.path(), "data.bin");
    std::memset(file.name, 'n', sizeof file.name);
    EXPECT_EQ(MyLoadLibrary2(&file, 0), VRELO_FILE_FAILED);
    EXPECT_EQ(MySizeofFile(&file), VRELO_FILE_FAILED);
    EXPECT_EQ(MyCreateFile(&file), VRELO_FILE_FAILED);
}

TEST_F(FileAccess, ReadsAndWritesSucceedOnlyWithTheExactLength) {
    FileRef file = make_file_ref(dir.path(), "data.bin");
    ASSERT_EQ(MyLoadLibrary2(&file, 1), VRELO_OK);
    uint8_t buffer[16] = {};
    EXPECT_EQ(MyFileRead(&file, buffer, 0), VRELO_OK);
    EXPECT_EQ(MyFileSeek(&file, 6), VRELO_OK);
    EXPECT_EQ(MyFileRead(&file, buffer, 4), VRELO_OK);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{7, 8, 9, 10}));
    EXPECT_EQ(MyFileSeek(&file, 6), VRELO_OK);
    std::memset(buffer, 0, sizeof buffer);
    EXPECT_EQ(MyFileRead(&file, buffer, 5), VRELO_FILE_FAILED);  // short
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{7, 8, 9, 10, 0}));
    EXPECT_EQ(MyFileRead(&file, buffer, -1), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFileSeek(&file, -1), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFileSeek(&file, 10), VRELO_OK);
    EXPECT_EQ(MyFileWrite(&file, buffer, 0), VRELO_OK);
    EXPECT_EQ(MyFileWrite(&file, buffer, -1), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFileWrite(&file, kTenBytes.data(), 10), VRELO_OK);
    EXPECT_EQ(MyFreeLibrary2(&file), 0);
    EXPECT_EQ(MySizeofFile(&file), 20);
}

TEST_F(FileAccess, SizeOfPresentEmptyAndMissingFiles) {
    FileRef present = make_file_ref(dir.path(), "data.bin");
    EXPECT_EQ(MySizeofFile(&present), 10);
    write_file(dir.file("empty.bin"), {});
    FileRef empty = make_file_ref(dir.path(), "empty.bin");
    EXPECT_EQ(MySizeofFile(&empty), 0);
    FileRef missing = make_file_ref(dir.path(), "missing.bin");
    EXPECT_EQ(MySizeofFile(&missing), VRELO_FILE_FAILED);
    EXPECT_EQ(missing.stream, nullptr);
    EXPECT_TRUE(host_bytes_untouched(missing));
}

TEST_F(FileAccess, CreateTruncatesAndLeavesNoStreamOpen) {
    const int freeBefore = lowest_free_descriptor();
    FileRef existing = make_file_ref(dir.path(), "data.bin");
    EXPECT_EQ(MyCreateFile(&existing), VRELO_OK);
    EXPECT_EQ(existing.stream, nullptr);
    EXPECT_TRUE(host_bytes_untouched(existing));
    EXPECT_EQ(MySizeofFile(&existing), 0);
    FileRef fresh = make_file_ref(dir.path(), "fresh.bin");
    EXPECT_EQ(MyCreateFile(&fresh), VRELO_OK);
    EXPECT_EQ(MySizeofFile(&fresh), 0);
    EXPECT_EQ(lowest_free_descriptor(), freeBefore);

    const std::string noSuchDirectory = dir.file("no-such-dir");
    FileRef nowhere = make_file_ref(noSuchDirectory, "x.bin");
    EXPECT_EQ(MyCreateFile(&nowhere), VRELO_FILE_FAILED);
    EXPECT_EQ(nowhere.stream, nullptr);
}

TEST_F(FileAccess, MissingRecordsAndClosedStreamsAreRefused) {
    uint8_t buffer[4] = {};
    EXPECT_EQ(MyLoadLibrary2(nullptr, 0), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFreeLibrary2(nullptr), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFileRead(nullptr, buffer, 1), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFileSeek(nullptr, 0), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFileWrite(nullptr, buffer, 1), VRELO_FILE_FAILED);
    EXPECT_EQ(MySizeofFile(nullptr), VRELO_FILE_FAILED);
    EXPECT_EQ(MyCreateFile(nullptr), VRELO_FILE_FAILED);

    FileRef file = make_file_ref(dir.path(), "data.bin");
    EXPECT_EQ(MyFileRead(&file, buffer, 1), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFileSeek(&file, 0), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFileWrite(&file, buffer, 1), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFreeLibrary2(&file), VRELO_FILE_FAILED);

    ASSERT_EQ(MyLoadLibrary2(&file, 1), VRELO_OK);
    EXPECT_EQ(MyFileRead(&file, nullptr, 1), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFileWrite(&file, nullptr, 1), VRELO_FILE_FAILED);
    EXPECT_EQ(MyFreeLibrary2(&file), 0);
    EXPECT_EQ(file.stream, nullptr);
    EXPECT_EQ(MyFreeLibrary2(&file), VRELO_FILE_FAILED);  // closed once only
}

}  // namespace
}  // namespace vrelo_test
