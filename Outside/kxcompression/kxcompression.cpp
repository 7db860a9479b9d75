// kxcompression.dll: the factory.
#include "extractor.h"

extern "C" Compression::IExtractor* CreateExtractor() {
    return Compression::NewExtractor();
}
