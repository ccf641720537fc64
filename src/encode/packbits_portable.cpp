// The portable PackBits encoder: the shared record rules writing straight
// into the destination.
#include "encode/packbits_encoders.hpp"
#include "encode/packbits_rules.hpp"
#include "encode/packbits_sinks.hpp"

namespace vrelo {

int32_t packbits_portable(uint8_t* destination, const uint8_t* source,
                          int32_t n) {
    WritingSink sink(destination);
    emit_records(sink, source, n);
    return sink.size();
}

}  // namespace vrelo
