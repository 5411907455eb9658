#pragma once

#include "platform/os/lock_place.h"

#include <QString>

#include <vector>

namespace zerva {

// What a refused add tells about the places for its lock: a line for each
// that has a fault, naming the folder (shown as process texts are: nothing
// in it can pass for something else), what is wrong with it and what it
// must be; empty when none has one.
QString LockPlaceText(const std::vector<LockPlace>& places);

} // namespace zerva
