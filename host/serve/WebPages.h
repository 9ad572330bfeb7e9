#pragma once
// The pages, script and style sheet of the parameter screens, written by hand and served by
// the program itself: nothing is fetched from elsewhere. Texts are Portuguese.

#include <string>
#include <vector>

namespace stock::serve {

struct ReportEntry {
  std::string name, title, description;
};

// The list of reports, each linking to its screen.
std::string ListPage(const std::vector<ReportEntry>& reports);
// The parameter screen of `report`, carrying the server's page token, with which the
// script opens the screen.
std::string ScreenPage(const ReportEntry& report, const std::string& token);
// A page with a heading and a message (an unknown report, too many screens ...).
std::string MessagePage(const std::string& heading, const std::string& text);

const std::string& ScriptText();
const std::string& StyleText();

// A report's title as the pages show it, in one style: first letter up, the rest down
// ("LISTAGEM DO INVENTÁRIO" and "Listagem do Inventário" alike give "Listagem do inventário").
std::string DisplayTitle(const std::string& title);

// `text` with &, <, >, " and ' escaped for HTML text and attribute values.
std::string EscapeHtml(const std::string& text);

}  // namespace stock::serve
