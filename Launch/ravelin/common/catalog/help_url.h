#pragma once
// Where the troubleshooting pages named in some messages live.
#define NIMBO_HELP_URL L"https://help.quillmark.com/nimbo/troubleshooting/"
