// The arrangement of the show's music: sections, parts, and the rows where the scenes change.
#pragma once
#include "tools/datagen/music_it.h"

namespace score {

constexpr int kRowsPerPattern = 128;
constexpr int kShowOrders = 33;  // orders 0..32 carry the show; it ends as order 33 begins
constexpr int kOrderCount = 34;  // the show's orders plus the silent one that ends it
constexpr int kSpeed = 3;        // ticks per row: 8 rows a beat at tempo 125
constexpr int kTempo = 125;

// Composes the complete module: instruments, one pattern per order, and the order list.
it::Module composeModule();

}  // namespace score
