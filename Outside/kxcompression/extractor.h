#pragma once
// The extractor of kxcompression.dll, also linked directly by tools and tests.
#include "outside/kxcompression.h"

namespace Compression {

// Null when memory runs out; never throws.
IExtractor* NewExtractor() noexcept;

}  // namespace Compression
