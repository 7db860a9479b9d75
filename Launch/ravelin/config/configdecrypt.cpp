#include "configdecrypt.h"

namespace NimboNS {

bool DecryptDocumentFile(const std::wstring& path, std::vector<unsigned char>& plain) {
    return false;
}
bool DecryptDocument(const void* bytes, int size, std::vector<unsigned char>& plain) {
    return false;
}

}  // namespace NimboNS
