#include "statemachine/state_record.h"

namespace quelmar::statemachine {

StateRecord decode_state_record(std::span<const std::uint8_t, state_record_size> b) {
    return common::decode_record<StateRecord>(b);
}

StateBytes encode_state_record(const StateRecord& r) {
    return common::encode_record(r);
}

}  // namespace quelmar::statemachine
