// Reads a printer command stream as the library writes it: raster skips,
// colour-raster commands with their PackBits payload, carriage returns and
// form feeds. Every fault is reported with the byte offset where it lies
// and what was expected there; nothing is read past the given bytes.
#ifndef VRELO_INSPECT_STREAM_READER_HPP
#define VRELO_INSPECT_STREAM_READER_HPP

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vrelo_inspect {

constexpr int kColours = 6;
// Colour letters by colour index: K Y M C m c.
extern const char kColourLetters[kColours + 1];

// Byte sizes of the commands around a row's payload.
constexpr size_t kSkipCommandBytes = 7;
constexpr size_t kRowHeaderBytes = 6;
constexpr size_t kControlByteBytes = 1;  // carriage return, form feed

// What the reader finds, in stream order.
class StreamHandler {
  public:
    virtual ~StreamHandler() = default;
    virtual void skip(size_t offset, int32_t lines) = 0;
    // row: the payload decoded, leading zero bytes included.
    virtual void row(size_t offset, int colour, std::vector<uint8_t>&& bytes,
                     size_t payloadBytes) = 0;
    // A carriage return that closes no colour-raster command.
    virtual void carriage_return(size_t offset) = 0;
    virtual void form_feed(size_t offset) = 0;
};

struct StreamFault {
    size_t offset = 0;
    std::string what;  // "expected ..., found ..."
};

// Reads all size bytes. False at the first fault, with *fault filled; the
// handler has then seen everything before it.
bool read_stream(const uint8_t* data, size_t size, StreamHandler& handler, StreamFault* fault);

}  // namespace vrelo_inspect

#endif
