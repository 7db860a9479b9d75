#pragma once
// Failures and messages of the publisher. Texts are UTF-8.
#include <stdexcept>
#include <string>
#include <vector>

namespace NimboNS::publisher {

// A publication that cannot go on: bad input or a file that cannot be read or written.
class PublishError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the publisher's findings go; the command line prints them, tests collect them.
class IReporter {
public:
    virtual void Info(const std::string& text) = 0;
    virtual void Warning(const std::string& text) = 0;
    virtual void Error(const std::string& text) = 0;

protected:
    ~IReporter() = default;
};

// Findings of a validation that looks at everything before it gives up.
struct Problems {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;

    void Fail(std::string text) { errors.push_back(std::move(text)); }
    void Warn(std::string text) { warnings.push_back(std::move(text)); }
    bool ok() const { return errors.empty(); }
    // Hands the findings to the reporter (and forgets them); throws when there was an error.
    void Report(IReporter& reporter, const char* what);
};

// The text of a Win32 error code, without the trailing line break.
std::string SystemErrorText(unsigned long code);

}  // namespace NimboNS::publisher
