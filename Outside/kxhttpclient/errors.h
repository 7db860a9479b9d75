#pragma once
// English texts for every result the library hands out.
#include <string>

namespace kxhttp {

// The text of `code`; `httpStatus` is used for KXHTTP_E_HTTP_STATUS.
std::wstring ErrorText(int code, int httpStatus = -1);

// The reason phrase of common HTTP statuses ("Not Found"), empty for others.
const wchar_t* StatusPhrase(int status);

}  // namespace kxhttp
