#pragma once
// The EFD screen of `stockreports serve`: a form with the parameters of `efd` at
// "/relatorio/efd", and the file it asks for, offered for download, at "/efd/arquivo" (POST).
// Each export opens its own read-only connection to `database`, so it runs on the request's
// thread without touching the platform thread's connection.

#include <string>

namespace httplib {
class Server;
}

namespace stock::serve {

struct ReportEntry;

// The list entry that links to the screen.
ReportEntry EfdEntry();

// Adds the screen's routes. The form carries `token` (the server's page token) and a file is
// given only to a post that sends it back. REQUIRES: called before the generic
// "/relatorio/<name>" route.
void AddEfdScreen(httplib::Server& http, const std::string& database, const std::string& token);

}  // namespace stock::serve
