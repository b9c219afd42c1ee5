// Where the component records its identities on a system without a class registry.
#pragma once
#include <filesystem>

namespace kpx::automation {

// $XDG_DATA_HOME/kpxwizard/registry.ini, or ~/.local/share/kpxwizard/registry.ini when
// XDG_DATA_HOME is unset or not absolute; empty when neither can be found.
std::filesystem::path registryFile();

}  // namespace kpx::automation
