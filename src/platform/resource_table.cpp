// Tables of a resource file: the lookup through a type's directory, and
// loading a table into a handle or rewriting it in place. The file's own
// numbers are checked against its size before anything is allocated, so a
// damaged or hostile file cannot make the library allocate or read absurd
// amounts.
#include "platform/files.hpp"
#include "platform/records.hpp"

namespace {

// A directory entry is three 32-bit units: type, id (low 16 bits; the
// other two bytes are not read) and the position of the table record.
const int64_t kWordBytes = 4;
const uint32_t kEntryWords = 3;
const int64_t kEntryBytes = kEntryWords * kWordBytes;

struct TableLocation {
    int32_t length;        // stored length of the table data
    int64_t dataPosition;  // file offset of its first data byte
};

// Reads the 32-bit unit at a position, in host order.
bool read_word_at(FileRef* file, int64_t position, bool swap, uint32_t* value) {
    if (vrelo::failed(vrelo::seek_file(file, position)) ||
        vrelo::failed(MyFileRead(file, value, kWordBytes))) {
        return false;
    }
    if (swap) SwapBinaryData(value, kWordBytes, kWordBytes);
    return true;
}

bool entry_matches(const uint32_t* entry, const ResourceRef& table) {
    return entry[0] == table.type && static_cast<int16_t>(entry[1] & 0xFFFFu) == table.id;
}

// Reads the directory at a position and finds the first entry naming the
// table. Returns VRELO_OK with its record position, VRELO_FILE_FAILED
// when the directory is unreadable, too large for the file or has no such
// entry, or VRELO_NO_MEMORY when it cannot be held.
int32_t find_record(FileRef* file, int64_t directory, int64_t fileSize, bool swap,
                    const ResourceRef& table, uint32_t* record) {
    uint32_t count = 0;
    if (!read_word_at(file, directory, swap, &count)) return VRELO_FILE_FAILED;
    const int64_t entriesBytes = count * kEntryBytes;
    // Zero entries name nothing; a count the file cannot hold is refused
    // before it can size an allocation.
    if (count == 0 || entriesBytes > INT32_MAX ||
        directory + kWordBytes + entriesBytes > fileSize) {
        return VRELO_FILE_FAILED;
    }
    const int32_t bytes = static_cast<int32_t>(entriesBytes);
    uint32_t* entries = static_cast<uint32_t*>(MyNewPtr(bytes));
    if (entries == nullptr) return VRELO_NO_MEMORY;
    int32_t status = VRELO_FILE_FAILED;
    if (!vrelo::failed(MyFileRead(file, entries, bytes))) {
        if (swap) SwapBinaryData(entries, bytes, kWordBytes);
        for (uint32_t index = 0; index < count; ++index) {
            const uint32_t* entry = entries + index * kEntryWords;
            if (entry_matches(entry, table)) {
                *record = entry[2];
                status = VRELO_OK;
                break;
            }
        }
    }
    MyDisposePtr(entries);
    return status;
}

// Finds a table and reads its stored length. Returns VRELO_OK with the
// location filled, VRELO_FILE_FAILED for any file failure, a missing table
// or numbers that do not fit the file, or VRELO_NO_MEMORY.
int32_t find_table(FileRef* file, const ResourceRef* table, TableLocation* location) {
    const bool swap = SwapBinaryDataCheck() != 0;
    const int64_t fileSize = vrelo::open_file_size(file);
    uint32_t directory = 0;
    if (fileSize < 0 || vrelo::failed(vrelo::seek_file(file, 0)) ||
        !read_word_at(file, table->type, swap, &directory)) {
        return VRELO_FILE_FAILED;
    }
    uint32_t record = 0;
    const int32_t found = find_record(file, directory, fileSize, swap, *table, &record);
    if (vrelo::failed(found)) return found;
    uint32_t length = 0;
    if (!read_word_at(file, record, swap, &length)) return VRELO_FILE_FAILED;
    const int32_t signedLength = static_cast<int32_t>(length);
    const int64_t dataPosition = int64_t{record} + kWordBytes;
    if (signedLength < 0 || dataPosition + signedLength > fileSize) {
        return VRELO_FILE_FAILED;
    }
    location->length = signedLength;
    location->dataPosition = dataPosition;
    return VRELO_OK;
}

}  // namespace

// The record's handle and data pointer are emptied first: they are the
// host's uninitialised bytes until a load fills them, and a host releases
// the record after a failed load.
VRELO_API int32_t MyLoadLockResource2(FileRef* file, ResourceRef* table) {
    if (table == nullptr) return VRELO_FILE_FAILED;
    table->handle = PtrHandle{};
    table->data = nullptr;
    TableLocation location;
    const int32_t found = find_table(file, table, &location);
    if (vrelo::failed(found)) return found;
    if (vrelo::failed(MyNewPH(location.length, &table->handle))) {
        return VRELO_NO_MEMORY;
    }
    table->data = table->handle.pointer;
    // The stream stands at the first data byte after the lookup. A failed
    // read keeps the block: the host releases it with MyUnlockFreeResource2.
    if (vrelo::failed(MyFileRead(file, table->data, location.length))) {
        return VRELO_FILE_FAILED;
    }
    if (SwapBinaryDataCheck()) {
        SwapBinaryData(table->data, location.length, table->width);
    }
    table->length = location.length;
    return VRELO_OK;
}

VRELO_API void MyUnlockFreeResource2(ResourceRef* table) {
    if (table == nullptr) return;
    MyDisposePH(&table->handle);
    table->data = nullptr;
}

// Rewrites a table only with exactly its stored length, so the file never
// grows or shrinks; on a big-endian host the record's data is left in file
// order.
VRELO_API int32_t MyWriteTable(FileRef* file, ResourceRef* table, int32_t expected) {
    TableLocation location;
    if (table == nullptr || table->data == nullptr ||
        vrelo::failed(find_table(file, table, &location)) || location.length != expected) {
        return VRELO_FILE_FAILED;
    }
    // The lookup ended with a read; an update stream must be positioned
    // again before it may be written.
    if (vrelo::failed(vrelo::seek_file(file, location.dataPosition))) {
        return VRELO_FILE_FAILED;
    }
    if (SwapBinaryDataCheck()) {
        SwapBinaryData(table->data, location.length, table->width);
    }
    return MyFileWrite(file, table->data, location.length);
}

// Resources need no locking here: the older pair of calls only hands its
// value back.
VRELO_API int32_t MyLockResource(int32_t value) {
    return value;
}

VRELO_API void MyUnlockFreeResource(void) {}
