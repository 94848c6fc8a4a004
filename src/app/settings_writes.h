#pragma once

// The settings the window changes while it runs, each stored in the settings file that the state
// names (AppState::SettingsFile). A write that fails leaves the file as it was and says so in one
// line on standard error (StorePrivateProfile, WriteIniString); the state in memory goes on
// regardless.

#include <cstddef>
#include <optional>

#include "app/start_up.h"

namespace snapvale {

// The image folder just chosen and, when AddToHistory gave it the history entry `added`, that
// entry's key: one load and one replace of the file.
void StoreImageFolder(const AppState& state, std::optional<std::size_t> added);

// Blanks the `count` stored history keys (as ClearHistory counts them) in one load and one
// replace of the file, however long the history was. Nothing is written for none.
void BlankStoredHistory(const AppState& state, std::size_t count);

// The view's fit choice.
void StoreFitToWindow(const AppState& state);

} // namespace snapvale
