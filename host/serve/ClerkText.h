#pragma once
// ClerkText: an error as the clerk at the screen is shown it. A database error carries the
// SQL that failed, which means nothing to the clerk and tells anyone looking at the screen
// how the database is laid out: the screen gets a plain sentence, and the whole text goes to
// the server's log (standard error).

#include <string>

namespace stock::serve {

// `message` without the SQL it carries (logged when there was some); other texts unchanged.
std::string ClerkError(const std::string& message);

}  // namespace stock::serve
