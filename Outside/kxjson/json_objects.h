#pragma once
// The objects of kxjson.dll, also linked directly by tools and tests.
#include "outside/kxjson.h"

namespace kxjson {

// Null when memory runs out; never throws.
IJsonParser* NewJsonParser() noexcept;
IJsonGenerator* NewJsonGenerator() noexcept;

}  // namespace kxjson
