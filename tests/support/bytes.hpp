// The byte string type the test helpers pass around, and a way to write
// expected bytes the way a stream dump shows them.
#ifndef VRELO_TEST_BYTES_HPP
#define VRELO_TEST_BYTES_HPP

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vrelo_test {

using Bytes = std::vector<uint8_t>;

// "1B 28 65" -> {0x1B, 0x28, 0x65}; blanks between bytes are optional.
Bytes from_hex(const std::string& text);

// The parts one after the other, for building expected streams.
Bytes concat(std::initializer_list<Bytes> parts);

}  // namespace vrelo_test

#endif
