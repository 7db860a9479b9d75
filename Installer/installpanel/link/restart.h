#pragma once
namespace NimboNS::installpanel {
// Restarts Windows for a finished installation that asks for it; logs the outcome.
bool RestartWindows();
}  // namespace NimboNS::installpanel
