#include "app/AppState.h"

// Placeholder until the status lines land.
QString AppState::statusLine() const { return {}; }
QString AppState::limitLine() const { return {}; }
std::optional<QString> AppState::scheduleLine() const { return std::nullopt; }
