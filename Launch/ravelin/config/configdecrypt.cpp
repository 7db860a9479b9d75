#include "configdecrypt.h"

#include "cipher/configcipher.h"

namespace NimboNS {

namespace {

void Take(const std::string& text, std::vector<unsigned char>& plain) {
    plain.assign(text.begin(), text.end());
}

}  // namespace

bool DecryptDocumentFile(const std::wstring& path, std::vector<unsigned char>& plain) {
    CConfigCipher cipher;
    std::string text;
    if (!cipher.DecryptFileContent(path.c_str(), text)) return false;
    Take(text, plain);
    return true;
}

bool DecryptDocument(const void* bytes, int size, std::vector<unsigned char>& plain) {
    CConfigCipher cipher;
    std::string text;
    if (!cipher.DecryptContent(static_cast<const unsigned char*>(bytes), size, text)) return false;
    Take(text, plain);
    return true;
}

}  // namespace NimboNS
