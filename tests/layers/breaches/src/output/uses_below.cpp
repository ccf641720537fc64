// The job may use every layer below it.
#include "delay/ring_slots.hpp"
#include "encode/commands.hpp"
