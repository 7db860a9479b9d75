#pragma once
// IUpdateDelegate: what the updaters, the download library and the extraction report during one
// update run (stages, overall and per-file progress, errors and log lines, the end of the run) and
// the archive extraction they ask for. The interface is part of the download library's contract,
// since kxhttpclient calls it from its own threads; this header is the update engine's name for it.
#include "outside/kxhttpclient.h"
