#pragma once

#include "AdapterSource.h"

#include <memory>

// The adapter source the tool uses on this PC: the one place that picks it.
std::unique_ptr<AdapterSource> makeSystemAdapterSource();
