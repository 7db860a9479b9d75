#pragma once
// The resume record written beside a target (target + ".cfg") while its transfer runs.
#include <string>

namespace kxhttp {

struct ResumeRecord {
    std::wstring url;
    std::wstring validator;  // the server's ETag, else its Last-Modified
    long long length = -1;   // the whole file's size, -1 when unknown
};

bool ReadResumeRecord(const std::wstring& path, ResumeRecord& record);
// Written to a side file first and moved over the record, so a record is never half written.
bool WriteResumeRecord(const std::wstring& path, const ResumeRecord& record);

}  // namespace kxhttp
