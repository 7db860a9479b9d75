#pragma once
// The app configuration document is stored encrypted on the server and on disk; these read it
// back through the configuration cipher.
#include <string>
#include <vector>

namespace NimboNS {

bool DecryptDocumentFile(const std::wstring& path, std::vector<unsigned char>& plain);
bool DecryptDocument(const void* bytes, int size, std::vector<unsigned char>& plain);

}  // namespace NimboNS
