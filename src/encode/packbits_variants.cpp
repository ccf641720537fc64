// The list of PackBits encoder variants and the choice among them for the
// running processor.
#include "encode/packbits_encoders.hpp"

namespace vrelo {

const PackBitsVariant kPackBitsVariants[] = {
    {"portable", packbits_portable},
};
const int32_t kPackBitsVariantCount =
    sizeof kPackBitsVariants / sizeof kPackBitsVariants[0];

PackBitsEncoder chosen_packbits_encoder() { return packbits_portable; }

}  // namespace vrelo
