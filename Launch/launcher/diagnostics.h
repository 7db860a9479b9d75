#pragma once
// The launcher's only diagnostics: plain texts on standard output (seen when a parent redirects
// it; a windowed program has no console).
namespace NimboNS {

void PrintDiagnostic(const char* text);

}  // namespace NimboNS
