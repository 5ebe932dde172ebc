#pragma once

// The symbolic link through which the host finds the board's pseudo-terminal. A board that
// is stopped while the next one starts on the same path must leave the new link alone.

#include <string>

namespace zandor::sim {

// Points `link` at `target`, replacing an older board's link in one step. False with
// `error` when `link` is something else than a symbolic link or cannot be made.
bool PublishLink(const std::string& link, const std::string& target, std::string& error);
// Removes `link` if it still points at `target`. Call it while `target` is still open, so
// the system cannot yet have given the same device name to another board.
void RemoveLink(const std::string& link, const std::string& target);

}  // namespace zandor::sim
