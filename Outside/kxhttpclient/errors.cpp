#include "errors.h"

#include "outside/kxhttpclient.h"

#include <windows.h>
#include <winhttp.h>

#include <cwchar>

namespace kxhttp {

using namespace NimboNS;
namespace {

struct CodeText {
    int code;
    const wchar_t* text;
};

// WinHTTP's own message table is not present everywhere (and follows the system language), so the
// library keeps its own English texts for the codes a transfer can meet.
constexpr CodeText kTexts[] = {
    {ERROR_WINHTTP_OUT_OF_HANDLES, L"No more WinHTTP handles could be allocated."},
    {ERROR_WINHTTP_TIMEOUT, L"The operation has timed out."},
    {ERROR_WINHTTP_INTERNAL_ERROR, L"An internal error occurred in WinHTTP."},
    {ERROR_WINHTTP_INVALID_URL, L"The URL is not valid."},
    {ERROR_WINHTTP_UNRECOGNIZED_SCHEME, L"The URL does not use http or https."},
    {ERROR_WINHTTP_NAME_NOT_RESOLVED, L"The server name could not be resolved."},
    {ERROR_WINHTTP_INVALID_OPTION, L"An invalid option was given to WinHTTP."},
    {ERROR_WINHTTP_OPTION_NOT_SETTABLE, L"A WinHTTP option cannot be set."},
    {ERROR_WINHTTP_SHUTDOWN, L"WinHTTP has been shut down."},
    {ERROR_WINHTTP_LOGIN_FAILURE, L"The login attempt failed."},
    {ERROR_WINHTTP_OPERATION_CANCELLED, L"The operation was cancelled."},
    {ERROR_WINHTTP_INCORRECT_HANDLE_TYPE, L"A WinHTTP handle of the wrong type was used."},
    {ERROR_WINHTTP_INCORRECT_HANDLE_STATE, L"A WinHTTP handle is in the wrong state."},
    {ERROR_WINHTTP_CANNOT_CONNECT, L"Could not connect to the server."},
    {ERROR_WINHTTP_CONNECTION_ERROR, L"The connection to the server was reset or closed."},
    {ERROR_WINHTTP_RESEND_REQUEST, L"The request must be sent again."},
    {ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED, L"The server requires a client certificate."},
    {ERROR_WINHTTP_HEADER_NOT_FOUND, L"An expected header is missing from the answer."},
    {ERROR_WINHTTP_INVALID_SERVER_RESPONSE, L"The server's answer could not be understood."},
    {ERROR_WINHTTP_INVALID_HEADER, L"A header is not valid."},
    {ERROR_WINHTTP_INVALID_QUERY_REQUEST, L"A header query is not valid."},
    {ERROR_WINHTTP_HEADER_ALREADY_EXISTS, L"A header already exists."},
    {ERROR_WINHTTP_REDIRECT_FAILED, L"A redirection failed (for example from https to http)."},
    {ERROR_WINHTTP_SECURE_FAILURE, L"The server's security certificate was not accepted."},
    {ERROR_WINHTTP_SECURE_CERT_DATE_INVALID, L"The server's certificate has expired or is not yet valid."},
    {ERROR_WINHTTP_SECURE_CERT_CN_INVALID, L"The server's certificate names another host."},
    {ERROR_WINHTTP_SECURE_INVALID_CA, L"The server's certificate comes from an untrusted authority."},
    {ERROR_WINHTTP_SECURE_CERT_REV_FAILED,
     L"The revocation of the server's certificate could not be checked."},
    {ERROR_WINHTTP_SECURE_CERT_REVOKED, L"The server's certificate has been revoked."},
    {ERROR_WINHTTP_SECURE_CHANNEL_ERROR, L"A secure connection could not be established."},
    {ERROR_WINHTTP_SECURE_INVALID_CERT, L"The server's certificate is not valid."},
    {ERROR_WINHTTP_CANNOT_CALL_BEFORE_OPEN, L"WinHTTP was used before the request was opened."},
    {ERROR_WINHTTP_CANNOT_CALL_BEFORE_SEND, L"WinHTTP was used before the request was sent."},
    {ERROR_WINHTTP_CANNOT_CALL_AFTER_SEND, L"WinHTTP was used after the request was sent."},
    {ERROR_WINHTTP_CANNOT_CALL_AFTER_OPEN, L"WinHTTP was used after the request was opened."},
    {ERROR_WINHTTP_AUTO_PROXY_SERVICE_ERROR, L"The proxy could not be found automatically."},
    {ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, L"The proxy script has an error."},
    {ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT, L"The proxy script could not be downloaded."},
    {ERROR_WINHTTP_NOT_INITIALIZED, L"WinHTTP is not initialized."},
    {ERROR_WINHTTP_SECURE_FAILURE_PROXY, L"The proxy's security certificate was not accepted."},
    {KXHTTP_E_ISSUE_AGAIN,
     L"The transfer broke off after part of the file arrived; download it again to continue."},
    {KXHTTP_E_STOPPED, L"The transfer was stopped."},
    {KXHTTP_E_TRUNCATED, L"The connection closed before the whole file arrived."},
    {KXHTTP_E_BAD_RANGE, L"The server answered a partial request with the wrong part of the file."},
    {KXHTTP_E_NO_EXTRACTOR,
     L"kxcompression.dll or its export CreateExtractor is missing, so the archive cannot be unpacked."},
    {KXHTTP_E_UNWRAP, L"The downloaded archive could not be unpacked."},
    {KXHTTP_E_TOO_LARGE, L"The answer is too large to be kept in memory."},
    {ERROR_ACCESS_DENIED, L"Access to the file is denied."},
    {ERROR_FILE_EXISTS, L"The file exists already and may not be overwritten."},
    {ERROR_DISK_FULL, L"There is not enough space on the disk."},
    {ERROR_HANDLE_DISK_FULL, L"There is not enough space on the disk."},
    {ERROR_PATH_NOT_FOUND, L"The folder of the file does not exist."},
    {ERROR_FILE_NOT_FOUND, L"The file was not found."},
    {ERROR_SHARING_VIOLATION, L"The file is being used by another program."},
    {ERROR_INVALID_PARAMETER, L"An argument is missing or not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, L"There is not enough memory."},
    {ERROR_OUTOFMEMORY, L"There is not enough memory."},
};

struct StatusText {
    int status;
    const wchar_t* phrase;
};

constexpr StatusText kStatuses[] = {
    {400, L"Bad Request"},
    {401, L"Unauthorized"},
    {403, L"Forbidden"},
    {404, L"Not Found"},
    {405, L"Method Not Allowed"},
    {408, L"Request Timeout"},
    {410, L"Gone"},
    {416, L"Range Not Satisfiable"},
    {429, L"Too Many Requests"},
    {500, L"Internal Server Error"},
    {501, L"Not Implemented"},
    {502, L"Bad Gateway"},
    {503, L"Service Unavailable"},
    {504, L"Gateway Timeout"},
};

}  // namespace

const wchar_t* StatusPhrase(int status) {
    for (const auto& s : kStatuses)
        if (s.status == status) return s.phrase;
    return L"";
}

std::wstring ErrorText(int code, int httpStatus) {
    if (code == 0) return L"";
    wchar_t buffer[160];
    if (code == KXHTTP_E_HTTP_STATUS) {
        const wchar_t* phrase = StatusPhrase(httpStatus);
        if (*phrase)
            swprintf(buffer, 160, L"The server answered with HTTP status %d (%ls).", httpStatus, phrase);
        else
            swprintf(buffer, 160, L"The server answered with HTTP status %d.", httpStatus);
        return buffer;
    }
    for (const auto& t : kTexts)
        if (t.code == code) return t.text;
    if (code >= WINHTTP_ERROR_BASE && code <= WINHTTP_ERROR_LAST)
        swprintf(buffer, 160, L"WinHTTP error %d.", code);
    else
        swprintf(buffer, 160, L"The download failed with error %d.", code);
    return buffer;
}

}  // namespace kxhttp
