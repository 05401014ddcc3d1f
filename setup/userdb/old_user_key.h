// The key of a user of an earlier release's single-domain database, which the
// conversion to virtual domains deletes once the user has been moved.
#pragma once

#include <span>
#include <string_view>

// "SOFTWARE\Corvane\Postern\<user id>" into `path`. False, leaving `path`
// empty, when the id names no key of its own that may go: the suite's keys
// "Global" and "Domains" and the old aliases key "_aliases" (A to Z compared
// without regard to case), an empty id, an id holding a backslash (it would
// reach another key), and a path that does not fit.
bool OldUserKeyPath(std::string_view userId, std::span<char> path);
