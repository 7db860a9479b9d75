// The Extractor backed by kxcompression.dll.
#include "archive.h"

#include "outside/kxhttpclient.h"

#include <windows.h>

namespace kxhttp {

using namespace NimboNS;
namespace {

class MissingExtractor : public Extractor {
public:
    int Extract(const std::wstring&, const std::wstring&) override { return KXHTTP_E_NO_EXTRACTOR; }
};

}  // namespace

Extractor& KxCompressionExtractor() {
    static MissingExtractor extractor;
    return extractor;
}

}  // namespace kxhttp
